#include "DOSBoxConfig.h"

namespace pem {

TStringList ComposeDOSBoxConfig(const TStringList& templ, const std::string& toolFolder,
                                const std::string& toolFileName) {
    TStringList conf = templ;
    conf.Duplicates = TDuplicates::dupAccept;
    conf.SetSorted(false);
    const int autoexec = conf.IndexOf("[autoexec]");
    if (autoexec > 0)
        while (conf.Count() > autoexec) conf.Delete(conf.Count() - 1);
    conf.Add("[autoexec]");
    conf.Add("mount c: \"" + toolFolder + "\"");
    conf.Add("mount x: .");
    conf.Add("x:");
    conf.Add("c:\\" + toolFileName + " last.xml");
    conf.Add("exit");
    const int cycles = conf.IndexOfName("cycles");
    if (cycles >= 0) conf.Put(cycles, "cycles=max");
    else conf.Add("cycles=max");
    return conf;
}

} // namespace pem
