#include "LanguageButtons.h"

#include "PemarisMain.h"

namespace pem {

const std::vector<TLanguageButtonDef>& LanguageButtonCatalogue() {
    using T = TLangTab;
    static const std::vector<TLanguageButtonDef> defs = {
        // Host languages
        {"RadioButtonAsm", "Assembler", T::Pemaris, 0},
        {"RadioButtonCob85", "COBOL", T::Pemaris, 0},
        {"RadioButtonPLI", "PL/I", T::Pemaris, 0},
        {"RadioButtonRPG", "RPG", T::Pemaris, 0},
        {"RadioButtonNatural", "Natural", T::Pemaris, 0},
        {"RadioButtonJCL", "JCL", T::Pemaris, 0},
        {"RadioButtonDLI", "DL/I", T::Pemaris, 0},
        {"RadioButtonPB", "PowerBuilder", T::Pemaris, 0},
        // Workstation and web languages
        {"RadioButtonC", "C", T::Pemaris, 1},
        {"RadioButtonCPP", "C++", T::Pemaris, 1},
        {"RadioButtonCSharp", "C#", T::Pemaris, 1},
        {"RadioButtonJava", "Java", T::Pemaris, 1},
        {"RadioButtonPHP", "PHP", T::Pemaris, 1},
        {"RadioButtonVB", "Visual Basic", T::Pemaris, 1},
        // Data and interface descriptions
        {"RadioButtonSQL_DB2", "SQL DB2", T::Pemaris, 2},
        {"RadioButtonSQL_Oracle", "SQL Oracle", T::Pemaris, 2},
        {"RadioButtonSQL_MS", "SQL MS", T::Pemaris, 2},
        {"RadioButtonIDL", "IDL", T::Pemaris, 2},
        {"RadioButtonXML", "XML", T::Pemaris, 2},
        {"RadioButtonXSD", "XSD", T::Pemaris, 2},
        {"RadioButtonWSDL", "WSDL", T::Pemaris, 2},
        // Requirement texts and test scripts
        {"RadioButtonVellingENG", "Requirements (English)", T::Velling, 0},
        {"RadioButtonVellingGER", "Requirements (German)", T::Velling, 0},
        {"RadioButtonVellingHUN", "Requirements (Hungarian)", T::Velling, 0},
        {"RadioButtonVellingUML", "UML", T::Velling, 1},
        {"RadioButtonVellingTCS", "Test cases", T::Velling, 1},
        // Test documentation tools
        {"RadioButtonHarnoxTCS", "Test cases", T::Harnox, 0},
        {"RadioButtonHarnoxTSC", "Test scripts", T::Harnox, 0},
        {"RadioButtonHarnoxLOG", "Test logs", T::Harnox, 1},
        // Project documents
        {"RadioButtonMindraDEFI", "Problem reports", T::Mindra, 0},
        {"RadioButtonMindraCHNG", "Change requests", T::Mindra, 0},
        {"RadioButtonMindraTIME", "Time sheets", T::Mindra, 0},
    };
    return defs;
}

} // namespace pem
