// The about box: a popup box whose window is an ellipse without a caption, painted as a
// red-rimmed oval with the program's icon at the top, the text centred below it and one
// "&Ok" button. Measuring, the modal wait, the keys, dragging and the result are the
// popup box's own.
#pragma once

#include <windows.h>

#include "popup_box.h"

class AboutBox : public PopupBox {
public:
    void createButtons() override;
    void createBoxWindow() override;
    void onPaint() override;

    // The elliptic window's size, set when its button is made.
    int width = 0;
    int height = 0;
};
