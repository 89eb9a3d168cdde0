// Resource and command ids of tagvetter.exe, shared by tagvetter.rc and the program.
#pragma once

#define IDR_ACCELERATORS 101
#define IDI_TAGVETTER 102
#define IDR_MAIN_MENU 103

#define CMD_OPEN 40003
#define CMD_COUNT_TAGS 40004
#define CMD_VIEW_KNOWN_TAGS 40005
#define CMD_ABOUT 40006
#define CMD_VIEW_ALL_TAGS 40007
#define CMD_EXIT 40008
#define CMD_CHECK_DOCUMENT 40009
#define CMD_VIEW_ONE_TAG 40010
#define CMD_PROFILE_HTML32 40011
#define CMD_PROFILE_HTML4 40012
#define CMD_PROFILE_HTML5 40013
#define CMD_PROFILE_AUTO 40014
#define CMD_CHECK_LINKS 40015
