// An event filter that notes the first paint of whatever it is installed
// on: the benchmarks that time "open to first paint" wait for it.
#pragma once

#include <QEvent>
#include <QObject>

class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};
