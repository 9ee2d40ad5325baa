// Ids of the program's own resources.
#pragma once

#define IDI_SETUP 120

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The language dialog.
#define IDD_SELECT_LANGUAGE 101
#define IDC_LANGUAGE_ICON 1027
#define IDC_LANGUAGE_LIST 1001

// The resource bootstrap dialog.
#define IDD_RESOURCE_LOADER 148
#define IDC_LOADER_PROGRESS 1046
#define IDC_LOADER_BROWSER 1059
