#include "CmdLine.h"
#include "Exceptions.h"

#include <gtest/gtest.h>

using namespace pem;

TEST(CmdLine, FindsValuesInEveryForm) {
    struct Case {
        std::vector<std::string> params;
        const char* spec;
        bool found;
        const char* value;
    };
    const Case cases[] = {
        {{"-R", "/opt/Tools", "-proj=My Job.jkvx"}, "-Root:-R", true, "/opt/Tools"},
        {{"-R", "/opt/Tools", "-proj=My Job.jkvx"}, "-Proj:P", true, "My Job.jkvx"},
        {{"-Proj", "Job.jkvx"}, "-Proj:P", true, "Job.jkvx"},
        {{"-p", "Job.jkvx"}, "-Proj:P", true, "Job.jkvx"},
        {{"-P=Mixed.JKVX"}, "-Proj:P", true, "Mixed.JKVX"},
        {{"-Proj", "-x"}, "-Proj:P", false, "unchanged"},
        {{"-Proj"}, "-Proj:P", false, "unchanged"},
        {{"-ROOT=/a=b"}, "Root:R", true, "/a=b"},
        {{"-ar", "anal"}, "-AutoRun:-ar", true, "anal"},
        {{"-AutoRun=Scan"}, "-AutoRun:-ar", true, "Scan"},
        {{"job.jkvx"}, "-Proj:P:default", true, "job.jkvx"},
        {{"job.jkvx", "-sha"}, "-Proj:P:default", false, "unchanged"},
        {{"-Proj", ""}, "-Proj:P", true, ""},
        {{"-Rooted", "x"}, "-Root:-R", false, "unchanged"},
        {{}, "", false, "unchanged"},
    };
    for (const auto& c : cases) {
        SetCommandLine(c.params);
        std::string v = "unchanged";
        EXPECT_EQ(FindCmdLineValue(c.spec, v), c.found) << c.spec;
        EXPECT_EQ(v, c.value) << c.spec;
    }
    SetCommandLine({"-x"});
    std::string v = "old";
    GetCmdLineValue("-Proj:P", v);
    EXPECT_EQ(v, "");
}

TEST(CmdLine, SwitchesOnOffAndDefault) {
    struct Case {
        std::vector<std::string> params;
        const char* spec;
        bool def;
        bool expected;
    };
    const Case cases[] = {
        {{"-shell"}, "-Register:-Shell", false, true},
        {{"-SHELL+"}, "-Register:-Shell", false, true},
        {{"-register=anything"}, "-Register:-Shell", false, true},
        {{"Register"}, "Register:Shell", false, false}, // a parameter needs its "-"
        {{"-Register"}, "Register:Shell", false, true},
        {{"-Shell-"}, "-Register:-Shell", true, false},
        {{"-register-", "-shell"}, "-Register:-Shell", true, false}, // the first one decides
        {{"-other"}, "-Register:-Shell", true, true},
        {{"-other"}, "-Register:-Shell", false, false},
        {{"-sha"}, "-ShowAdvanced:-ShA", false, true},
        {{"-"}, "-Register", false, false},
        {{"-x"}, "", true, false},
    };
    for (const auto& c : cases) {
        SetCommandLine(c.params);
        EXPECT_EQ(CmdLineSwitchDef(c.spec, c.def), c.expected) << c.spec << " " << (c.params.empty() ? "" : c.params[0]);
    }
}

TEST(CmdLine, BooleanText) {
    struct Case { const char* text; bool value; };
    const Case ok[] = {{"Y", true}, {"J", true}, {"i", true}, {"n", false}, {"N", false},
                       {"TRUE", true}, {"False", false}, {"", false}};
    for (const auto& c : ok) EXPECT_EQ(StrToBoolYJIN(c.text), c.value) << c.text;
    for (const char* bad : {"ja", "yes", "0", "1", "no"}) {
        try {
            StrToBoolYJIN(bad);
            ADD_FAILURE() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string(bad) + " is not valid boolean value (Y,J,I,N,True,False)");
        }
    }
    EXPECT_TRUE(StrToBoolDef("", true));
    EXPECT_FALSE(StrToBoolDef("n", true));
    EXPECT_EQ(BoolToYN(true), 'Y');
    EXPECT_EQ(BoolToChar(false, '+', '-'), '-');
}
