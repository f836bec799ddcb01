#pragma once
// The language radio buttons the main window carries: each product group's
// language tab has its own set, laid out in columns of panels. The product
// INI file tells which of them are installed and what they stand for.
#include <string>
#include <vector>

namespace pem {

enum class TLangTab;

struct TLanguageButtonDef {
    const char* name;    // component name, the key of its INI line
    const char* caption; // shown until the INI line gives the display name
    TLangTab tab;
    int column; // panel within the tab's group box
};

const std::vector<TLanguageButtonDef>& LanguageButtonCatalogue();

} // namespace pem
