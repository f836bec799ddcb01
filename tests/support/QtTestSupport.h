#pragma once
// Helpers for widget tests: one offscreen application per test program,
// scripted dialogs installed for the scope of a test, and a recorder of
// everything the status bars show.
#include "DialogService.h"
#include "MyStatusBar.h"
#include "QtApp.h"
#include "TestSupport.h"

#include <QApplication>
#include <cstdlib>
#include <vector>

namespace pemtest {

// Installs a scripted dialog service for the lifetime of the object.
class ScopedDialogs {
public:
    ScopedDialogs() { pem::SetDialogService(&service); }
    ~ScopedDialogs() { pem::SetDialogService(nullptr); }
    pem::ScriptedDialogService service;
    pem::ScriptedDialogService* operator->() { return &service; }
};

// Records every status-bar message for the lifetime of the object.
class StatusRecorder {
public:
    StatusRecorder() {
        pem::TMyStatusBarBase::Recorder = [this](const pem::TStatusRecord& r) { records.push_back(r); };
    }
    ~StatusRecorder() { pem::TMyStatusBarBase::Recorder = nullptr; }
    std::vector<pem::TStatusRecord> records;

    bool Has(pem::TStatusRecord::Kind kind, const std::string& text) const {
        for (const auto& r : records)
            if (r.kind == kind && r.text == text) return true;
        return false;
    }
    bool HasText(const std::string& text) const {
        for (const auto& r : records)
            if (r.text == text) return true;
        return false;
    }
};

} // namespace pemtest
