#include "OleImageList.h"

namespace pem {

namespace {
TImageListDragState& State() {
    static TImageListDragState s;
    return s;
}
} // namespace

int ImageList::Add(std::shared_ptr<Bitmap> image) {
    images_.push_back(std::move(image));
    return Count() - 1;
}

void ImageList::Draw(Bitmap& into, int x, int y, int index) const {
    if (index < 0 || index >= Count() || !images_[static_cast<size_t>(index)]) return;
    const Bitmap& from = *images_[static_cast<size_t>(index)];
    for (int row = 0; row < from.height; ++row)
        for (int col = 0; col < from.width; ++col) {
            int tx = x + col, ty = y + row;
            if (tx < 0 || ty < 0 || tx >= into.width || ty >= into.height) continue;
            into.pixels[static_cast<size_t>(ty) * static_cast<size_t>(into.width) + static_cast<size_t>(tx)] =
                from.pixels[static_cast<size_t>(row) * static_cast<size_t>(from.width) + static_cast<size_t>(col)];
        }
}

const TImageListDragState& ImageListDragState() { return State(); }

bool ImageList_BeginDrag(HIMAGELIST list, int index, int dx, int dy) {
    if (!list || index < 0 || index >= list->Count()) return false;
    TImageListDragState& s = State();
    s = TImageListDragState{};
    s.list = list;
    s.index = index;
    s.hotSpot = {dx, dy};
    return true;
}

void ImageList_EndDrag() { State() = TImageListDragState{}; }

bool ImageList_DragEnter(HWND lock, int x, int y) {
    TImageListDragState& s = State();
    if (!s.list) return false;
    s.lockWindow = lock;
    s.position = {x, y};
    s.entered = s.shown = true;
    return true;
}

bool ImageList_DragLeave(HWND) {
    TImageListDragState& s = State();
    s.entered = s.shown = false;
    s.lockWindow = nullptr;
    return s.list != nullptr;
}

bool ImageList_DragMove(int x, int y) {
    TImageListDragState& s = State();
    if (!s.list) return false;
    s.position = {x, y};
    return true;
}

bool ImageList_DragShowNolock(bool show) {
    TImageListDragState& s = State();
    if (!s.list) return false;
    s.shown = show;
    return true;
}

HIMAGELIST ImageList_GetDragImage(POINT* pt, POINT* hotSpot) {
    const TImageListDragState& s = State();
    if (pt) *pt = s.position;
    if (hotSpot) *hotSpot = s.hotSpot;
    return s.list;
}

bool ImageList_SetDragCursorImage(HIMAGELIST list, int index, int dx, int dy) {
    TImageListDragState& s = State();
    if (!s.list || !list || index < 0 || index >= list->Count()) return false;
    s.cursorList = list;
    s.cursorIndex = index;
    s.cursorHotSpot = {dx, dy};
    return true;
}

} // namespace pem
