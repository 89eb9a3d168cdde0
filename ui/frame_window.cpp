#include "frame_window.h"

#include <commctrl.h>

namespace {
const char FrameClassName[] = "MainClass";

// True when `control` has a live window that is a child of `frame`; a control keeps its
// handle after its window is gone, and that handle must not be moved or focused.
bool isLiveChild(HWND frame, const Control* control) {
    return control && control->handle && IsWindow(control->handle) && GetParent(control->handle) == frame;
}
}  // namespace

// Registers "MainClass"; the frame paints no background of its own.
int FrameWindow::registerWindowClass() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_BYTEALIGNCLIENT;
    windowClass.lpfnWndProc = classWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 4;
    windowClass.hInstance = moduleInstance();
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = FrameClassName;
    adjustClass(windowClass);
    return RegisterClassA(&windowClass);
}

// Registers the frame and its client's classes and keeps both children.
int FrameWindow::init(Control* clientChild, StatusBarControl* bar) {
    if (!registerWindowClass()) return 0;
    statusBar = bar;
    client = clientChild;
    if (client) return client->registerWindowClass() ? 1 : 0;
    return 1;
}

// Makes the top-level window; WM_NCCREATE and WM_CREATE run inside CreateWindowExA.
int FrameWindow::createTopLevel() {
    CREATESTRUCTA create{};
    create.dwExStyle = 0;
    create.lpszClass = FrameClassName;
    create.lpszName = "";
    create.style = WS_OVERLAPPEDWINDOW;
    create.x = CW_USEDEFAULT;
    create.y = CW_USEDEFAULT;
    create.cx = CW_USEDEFAULT;
    create.cy = CW_USEDEFAULT;
    adjustCreate(create);
    handle = CreateWindowExA(create.dwExStyle, create.lpszClass, create.lpszName, create.style, create.x, create.y,
                             create.cx, create.cy, nullptr, nullptr, moduleInstance(), this);
    return handle != nullptr;
}

// Makes the frame, then the client child, and lays both out at once: the frame's first
// WM_SIZE came before the client existed.
int FrameWindow::createFrame() {
    if (!createTopLevel()) return 0;
    if (!client) return 0;
    client->exStyle = WS_EX_CLIENTEDGE;
    if (!client->create(handle)) return 0;
    RECT area;
    GetClientRect(handle, &area);
    onSize(SIZE_RESTORED, MAKELPARAM(area.right, area.bottom));
    return 1;
}

// Loads the common controls and makes the status bar; 0 fails the frame's creation.
int FrameWindow::onCreate() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = 0xFF;
    InitCommonControlsEx(&controls);
    return statusBar && statusBar->create(handle) ? 1 : 0;
}

// Moves client and status bar together in one deferred batch.
void FrameWindow::onSize(WPARAM wParam, LPARAM lParam) {
    clientWidth = LOWORD(lParam);
    clientHeight = HIWORD(lParam);
    bool barLive = isLiveChild(handle, statusBar);
    bool clientLive = isLiveChild(handle, client);
    if (barLive) statusBar->relayout(wParam, lParam);
    int barHeight = barLive ? statusBar->visibleHeight() : 0;

    HDWP batch = BeginDeferWindowPos(2);
    if (batch && clientLive)
        batch = DeferWindowPos(batch, client->handle, nullptr, 0, 0, clientWidth, clientHeight - barHeight,
                               SWP_SHOWWINDOW);
    if (batch && barLive)
        batch = DeferWindowPos(batch, statusBar->handle, nullptr, 0, clientHeight - barHeight, clientWidth,
                               clientHeight, SWP_SHOWWINDOW);
    if (batch) EndDeferWindowPos(batch);
}

// Passes the keyboard on to the client.
void FrameWindow::onSetFocus() {
    if (isLiveChild(handle, client)) SetFocus(client->handle);
}

// Closes only when the frame agrees.
void FrameWindow::onClose() {
    if (canClose()) DestroyWindow(handle);
}

// Answers the session's question with canClose.
int FrameWindow::onQueryEndSession() {
    return canClose();
}

// Saves the placement and ends the message loop.
void FrameWindow::onDestroy() {
    savePlacement();
    PostQuitMessage(0);
}

// Saves the placement when the session really ends.
void FrameWindow::onEndSession(WPARAM wParam, LPARAM) {
    if (wParam) savePlacement();
}

// Lets every close go ahead.
int FrameWindow::canClose() {
    return 1;
}

// Leaves the class as it is.
void FrameWindow::adjustClass(WNDCLASSA&) {}

// Leaves the creation record as it is.
void FrameWindow::adjustCreate(CREATESTRUCTA&) {}

// Restores nothing.
int FrameWindow::restorePlacement() {
    return 0;
}

// Saves nothing.
void FrameWindow::savePlacement() {}

// Shows the frame as saved, else as the process was started.
void FrameWindow::show(int showCommand) {
    if (!restorePlacement()) ShowWindow(handle, showCommand);
    UpdateWindow(handle);
}

// Loads an accelerator table from the module.
int FrameWindow::loadAccelerators(const char* tableName) {
    accelerators = LoadAcceleratorsA(moduleInstance(), tableName);
    return accelerators != nullptr;
}

// Runs the loop, translating the frame's accelerators.
int FrameWindow::runMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        if (accelerators && TranslateAcceleratorA(handle, accelerators, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
