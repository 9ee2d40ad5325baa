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

// The wizard's frame (151: the same, mirrored; 150: a shorter variant, unused).
#define IDD_MAIN 108
#define IDD_MAIN_SHORT 150
#define IDD_MAIN_RTL 151
#define IDC_MAIN_SKIP 1007
#define IDC_MAIN_SKIP_ALL 1008
#define IDC_MAIN_NEXT 1009
#define IDC_MAIN_CLOSE 1047
#define IDC_MAIN_PREVIOUS 1054
#define IDC_MAIN_CANCEL 1055
#define IDC_MAIN_TASK_CANCEL 8
#define IDC_MAIN_BANNER 1013
#define IDC_MAIN_STRIP 1011
#define IDC_MAIN_HEADER_TITLE 1051
#define IDC_MAIN_HEADER_TEXT 1052
#define IDC_MAIN_RULE 1012
#define IDC_MAIN_PAGES 1023

// The message page.
#define IDD_MESSAGE_PAGE 116
#define IDC_MESSAGE_TITLE 1024
#define IDC_MESSAGE_SUBTITLE 1025
#define IDC_MESSAGE_BODY 1026
#define IDC_MESSAGE_PICTURE 1010
#define IDC_MESSAGE_LEFT_LINK 1048
#define IDC_MESSAGE_RIGHT_LINK 1049

// The offer page.
#define IDD_OFFER_PAGE 114
#define IDC_OFFER_BROWSER 1037

// The page that performs the setup tasks.
#define IDD_PERFORM_TASKS_PAGE 132
#define IDC_TASKS_PROGRESS 1035
#define IDC_TASKS_STATUS 1036

// The clean-up dialog of an unfinished wizard.
#define IDD_CANCEL_SETUP 103
#define IDC_CANCEL_SETUP_STATUS 1057
