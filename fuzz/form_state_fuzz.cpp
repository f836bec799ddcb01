// Fuzz target for form-state texts (the body of every job file): any text
// restored into a form with one control of each kind must be applied or
// refused with the program's own exception, never crash or hang.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <QApplication>

#include "Controls.h"
#include "Exceptions.h"
#include "Forms.h"
#include "IncCombo.h"
#include "StreamToIni.h"
#include "StringListHolder.h"

namespace {

struct Fixture {
    Fixture() {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char arg0[] = "form_state_fuzz";
        static char* argv[] = {arg0, nullptr};
        app = new QApplication(argc, argv);
        form = new pem::TForm("FormTest");
        QWidget* p = form->Client();
        auto* frame = new pem::TFrame(form, p, "FrameA");
        new pem::TEdit(frame, frame, "EditInFrame");
        new pem::TEdit(form, p, "EditA");
        auto* combo = new pem::TComboBox(form, p, "ComboA");
        combo->SetItems(pem::TStringList{"one", "two"});
        new pem::TIncCombo(form, p, "IncA");
        new pem::TCheckBox(form, p, "CheckA");
        new pem::TCheckListBox(form, p, "CLBA");
        new pem::TMemo(form, p, "MemoA");
        new pem::TStringListHolder(form, "HolderA");
        auto* radio = new pem::TRadioGroup(form, p, "RadioA");
        radio->SetItems(pem::TStringList{"a", "b", "c"});
    }
    QApplication* app;
    pem::TForm* form;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture fx;
    pem::TStreamToIni ini;
    ini.SetText(std::string(reinterpret_cast<const char*>(data), size));
    ini.ReadFileFormat();
    ini.ContentSkipMask = 0;
    try {
        ini.RestoreFormsEx(fx.form, 1023);
    } catch (const pem::Exception&) {
    }
    // What the form holds now is stored again without trouble.
    pem::TStreamToIni out;
    out.ContentSkipMask = 0;
    out.StoreFormsEx(fx.form, 1023);
    return 0;
}
