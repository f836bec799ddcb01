#pragma once
// A drag loop over fake windows: plays a script of cursor points, key states
// and Esc presses, and calls the source and the targets the way the platform
// does (continue-or-drop question, enter, over, leave, feedback, drop).
#include "OleDragDrop.h"

#include <functional>
#include <string>
#include <vector>

namespace pem {

class TFakeClock;

struct TDragStep {
    POINT pt;
    DWORD keys = MK_LBUTTON; // MK_ bits; a step without buttons releases
    bool esc = false;
    DWORD advanceMs = 0; // time that passes before the step (with a fake clock)
};

class TEmulatedDragLoop : public IDragLoop {
public:
    // Installs itself as the drag loop for its lifetime.
    explicit TEmulatedDragLoop(TFakeClock* clock = nullptr);
    ~TEmulatedDragLoop() override;

    HRESULT Run(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) override;

    std::vector<TDragStep> Steps;
    // Runs before each step (index), for tests that act in the middle.
    std::function<void(size_t)> BeforeStep;

    // What happened, in order: "continue=<hr>", "enter <window> =<effect>",
    // "over <window> =<effect>", "leave <window>", "feedback <effect>",
    // "drop <window> =<effect>".
    std::vector<std::string> Log;
    // The data object the last run was given (held while the run lasts).
    IDataObject* LastData = nullptr;
    int Runs = 0;

private:
    TFakeClock* clock_;
    IDragLoop* previous_;
};

} // namespace pem
