// The application's top-level frame: class "MainClass", a status bar made while the frame
// handles WM_CREATE, one client child made right after, both kept laid out on resize, and
// the message loop with an accelerator table.
#pragma once

#include "controls.h"
#include "window.h"

class FrameWindow : public Window {
public:
    int registerWindowClass() override;
    void onClose() override;
    int onCreate() override;
    void onDestroy() override;
    void onEndSession(WPARAM wParam, LPARAM lParam) override;
    int onQueryEndSession() override;
    void onSetFocus() override;
    void onSize(WPARAM wParam, LPARAM lParam) override;

    // Hooks for derived frames.
    virtual int canClose();
    virtual void adjustClass(WNDCLASSA& windowClass);
    virtual void adjustCreate(CREATESTRUCTA& create);
    virtual int restorePlacement();
    virtual void savePlacement();

    // Registers the frame's class and keeps the two children; non-zero on success.
    int init(Control* clientChild, StatusBarControl* bar);
    // Makes the frame (and its status bar), then the client child.
    int createFrame();
    // Makes the top-level window alone.
    int createTopLevel();
    // Shows the frame: the saved placement when there is one, else `showCommand`.
    void show(int showCommand);
    int loadAccelerators(const char* tableName);
    // Runs the thread's messages until the quit message and gives its code.
    int runMessageLoop();

    HACCEL accelerators = nullptr;
    int clientWidth = 0;
    int clientHeight = 0;
    StatusBarControl* statusBar = nullptr;
    Control* client = nullptr;
};
