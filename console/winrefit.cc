// Moving open windows to a screen of another size: each is lifted off the
// old screen with what it showed, and landed on the new one where it would
// have been made there.
#include "console/win.h"

std::unique_ptr<ScreenCell[]> Win::Lift() {
    // A hidden window is not on the screen: what it shows stays saved, and
    // showing it again puts that at its new place.
    if (hidden_ || !saved_) return nullptr;
    std::unique_ptr<ScreenCell[]> face(GetWin(false));
    PutWin(saved_.get(), true);
    return face;
}

void Win::Land(const ScreenCell* face) {
    const int face_width = width(), face_height = height();
    const int inset_x = origin_x_ - left_, inset_y = origin_y_ - top_;
    Place(asked_left_, asked_top_, asked_right_, asked_bottom_);
    origin_x_ = left_ + inset_x;
    origin_y_ = top_ + inset_y;
    int columns = 0, rows = 0;
    console->GetSize(columns, rows);
    shadow_ = shadow_ && bottom_ + 1 < rows && right_ + 2 < columns;

    if (hidden_ || !face) return;
    console->BeginPaint();
    saved_.reset(GetWin(true));
    {
        // The window keeps its size unless the screen became too small for it.
        CellString cells;
        for (int y = 0; y < height(); y++)
            for (int x = 0; x < width(); x++)
                cells += x < face_width && y < face_height ? face[y * face_width + x] : ScreenCell(L' ', attr_);
        console->PutRect(left_, top_, width(), height(), cells.cells());
        if (shadow_) addshadow();
    }
    console->EndPaint();
}
