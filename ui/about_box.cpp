#include "about_box.h"

namespace {

constexpr COLORREF Red = RGB(255, 0, 0);
constexpr int ButtonWidth = 60;
constexpr int ButtonHeight = 30;
constexpr int IconSize = 32;

}  // namespace

// Makes a borderless, captionless window sized to the text plus room for the icon and
// the button; the box's WM_CREATE centres it on the owner.
void AboutBox::createBoxWindow() {
    RECT area{0, 0, 0, 0};
    GetClientRect(owner, &area);
    handle = CreateWindowExA(0, "AboutClass", "", WS_POPUP | WS_VISIBLE, area.right / 2, area.bottom / 2,
                             widestLine + 4 * maxCharWidth, (lineCount + 8) * lineHeight, owner, nullptr,
                             moduleInstance(), this);
}

// Cuts the window to the ellipse inscribed in it and puts the one "&Ok" button near the
// bottom, centred.
void AboutBox::createButtons() {
    RECT client;
    GetClientRect(handle, &client);
    width = client.right + 1;
    height = client.bottom + 1;
    // The window owns the region from here on and deletes it with itself.
    SetWindowRgn(handle, CreateEllipticRgn(0, 0, width, height), TRUE);
    SetWindowPos(handle, nullptr, 0, 0, width, height, SWP_NOMOVE);
    boxButtons.buttons[0].createButton(handle, "&Ok", client.right / 2 - ButtonWidth / 2,
                                       client.bottom - 3 * lineHeight, ButtonWidth, ButtonHeight, -1);
    buttonResults[0] = IDOK;
    boxButtons.count = 1;
}

// Paints the oval just inside the region, the icon at the top and the text lines, each
// centred on the box's whole width.
void AboutBox::onPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle, &paint);
    HBRUSH fill = CreateSolidBrush(backColour);
    HPEN rim = CreatePen(PS_SOLID, 3, Red);
    HGDIOBJ previousBrush = SelectObject(dc, fill);
    HGDIOBJ previousPen = SelectObject(dc, rim);
    Ellipse(dc, 1, 1, width - 2, height - 2);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(fill);
    DeleteObject(rim);

    if (icon) DrawIcon(dc, width / 2 - IconSize / 2, 18, icon);
    SetTextColor(dc, textColour);
    SetBkColor(dc, backColour);
    int y = 2 * lineHeight + IconSize;
    if (text) {
        forEachLine(text, [&](const char* start, int length) {
            SIZE extent{0, 0};
            GetTextExtentPoint32A(dc, start, length, &extent);
            TextOutA(dc, (width - extent.cx) / 2, y, start, length);
            y += lineHeight;
        });
    }
    EndPaint(handle, &paint);
}
