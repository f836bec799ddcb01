#pragma once
// Image lists and the image-list drag functions of the common controls: a
// list of same-sized pictures with a background colour, and one process-wide
// drag image that the drag calls move, show and hide.
#include "OleWindows.h"

#include <memory>
#include <vector>

namespace pem {

constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;
constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

class ImageList {
public:
    ImageList(int width = 16, int height = 16) : Width(width), Height(height) {}
    int Count() const { return static_cast<int>(images_.size()); }
    // Adds a picture (scaled by nothing: it is stored as given); gives its index.
    int Add(std::shared_ptr<Bitmap> image);
    const std::shared_ptr<Bitmap>& Image(int index) const { return images_.at(static_cast<size_t>(index)); }
    // Draws image index into the bitmap at x, y (pixels outside are cut).
    void Draw(Bitmap& into, int x, int y, int index) const;

    int Width;
    int Height;
    COLORREF BkColor = CLR_NONE;

private:
    std::vector<std::shared_ptr<Bitmap>> images_;
};
using HIMAGELIST = ImageList*;

// The process-wide image-list drag image.
struct TImageListDragState {
    HIMAGELIST list = nullptr;
    int index = -1;
    POINT hotSpot;
    HWND lockWindow = nullptr;
    POINT position;
    bool entered = false;
    bool shown = false;
    HIMAGELIST cursorList = nullptr;
    int cursorIndex = -1;
    POINT cursorHotSpot;
};
const TImageListDragState& ImageListDragState();

bool ImageList_BeginDrag(HIMAGELIST list, int index, int dxHotspot, int dyHotspot);
void ImageList_EndDrag();
bool ImageList_DragEnter(HWND lock, int x, int y);
bool ImageList_DragLeave(HWND lock);
bool ImageList_DragMove(int x, int y);
bool ImageList_DragShowNolock(bool show);
// The list of the drag image in progress (none without one), with the
// drag position and the hot spot.
HIMAGELIST ImageList_GetDragImage(POINT* pt, POINT* hotSpot);
bool ImageList_SetDragCursorImage(HIMAGELIST list, int index, int dxHotspot, int dyHotspot);

} // namespace pem
