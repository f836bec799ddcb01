#pragma once
// Shared by the report tests: an output directory with scanner reports
// placed in it, a recorder of the problems channel, and document reading.
#include "Exceptions.h"
#include "ReportConversion.h"
#include "TessalyXML.h"
#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace pemtest {

inline std::string ReportFixture(const std::string& name) {
    return ReadFile(std::string(FIXTURES_DIR) + "/reports/" + name);
}

// Everything the problems channel received.
struct ProblemRecorder : pem::TReportProblems {
    std::vector<std::string> errors, warnings;
    void XmlProcessingError(const std::string& message) override { errors.push_back(message); }
    void Warning(const std::string& text) override { warnings.push_back(text); }
};

// An output directory "out" in a fresh folder; product ABC, version 1.0.
struct ReportOutput {
    TempDir dir;
    std::string out = dir / "out";

    pem::TScannerReportSettings Settings(int documentKind, const std::string& system) const {
        pem::TScannerReportSettings s;
        s.OutputDir = out;
        s.ProductName = "ABC";
        s.SystemName = system;
        s.SystemVersion = "1.0";
        s.DocumentKind = documentKind;
        s.ProductKind = pem::kProductKindDocumentScanners;
        return s;
    }
    std::string Folder(int documentKind) const {
        return pem::ReportFolder(Settings(documentKind, ""), pem::ReportAreaOf(documentKind));
    }
    // The scanner's report and its text companion, as a run leaves them.
    void PlaceReport(const std::string& system, const std::string& xml, const std::string& txt = "scan\n") const {
        WriteFile(out + "/" + system + ".xml", xml);
        if (!txt.empty()) WriteFile(out + "/" + system + ".txt", txt);
    }
};

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// The names of the files in a folder, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (!std::filesystem::is_directory(folder)) return names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::unique_ptr<pem::TMyXMLNodeList> LoadDocument(const std::string& path) {
    return pem::TMyXMLNodeList::CreateFromFile(path);
}

// The value of the first element of that name.
inline std::string ValueOf(pem::TMyXMLNodeList& doc, const std::string& tag) {
    doc.First();
    return doc.NodeByTag(tag)->Value;
}

inline std::string AttributeOf(pem::TMyXMLNodeList& doc, const std::string& tag, const std::string& name) {
    doc.First();
    return doc.NodeByTag(tag)->GetAttribute(name);
}

} // namespace pemtest
