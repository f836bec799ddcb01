#pragma once
// The MIME data of a data object, rendered once when a drag starts (or when
// the object is put on the clipboard): every format it offers for reading is
// fetched and stored under its MIME type. The "Preferred DropEffect" is kept
// as the drag's proposed action and does not travel as data; files travel
// as their URLs only.
#include "OleInterfaces.h"

#include <QMimeData>
#include <optional>

namespace pem {

class DataObjectMimeData : public QMimeData {
public:
    explicit DataObjectMimeData(IDataObject* data);
    // The effect the source prefers, when it states one.
    std::optional<DWORD> PreferredEffect() const { return preferred_; }

private:
    std::optional<DWORD> preferred_;
};

} // namespace pem
