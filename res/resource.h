#pragma once
// Resource identifiers shared by the resource script and the code that shows
// the icons (Button::pictureId, Picture::pictureId, Form::iconId).

// The application's own icon; the first icon resource, so it is also the
// executable's icon in the file manager.
#define IDI_APP 1

// Main-menu task buttons.
#define IDI_USERS 101
#define IDI_NETWORK 102
#define IDI_DISPLAY 103
#define IDI_FIREWALL 104
#define IDI_COMPUTER 105
#define IDI_TIMEZONE 106
#define IDI_WINRM 107
#define IDI_FEATURES 108
#define IDI_RDP 109
#define IDI_DCPROMO 110

// Power buttons.
#define IDI_SHUTDOWN 111
#define IDI_REBOOT 112
#define IDI_EXIT 113

// Account dialogs.
#define IDI_DELETEUSER 114
#define IDI_PASSWORD 115
#define IDI_NEWUSER 116
#define IDI_HOME 117

