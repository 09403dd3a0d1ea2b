/* Resource ids shared by the resource script and the code. */
#ifndef TOVRIK_RES_RESOURCE_H
#define TOVRIK_RES_RESOURCE_H

#define IDS_CLASS_NAME 200
#define IDS_TITLE 201
#define IDS_ERR_REGISTER_CLASS 250
#define IDS_ERR_CREATE_WINDOW 251
#define IDS_ERR_NAME_TOO_LONG 252

#define IDD_SETTINGS_PAGE 10000
#define IDD_INFO_PAGE 10001

#define IDC_SCREEN_NAME 601
#define IDC_CLIENT_PATH 608
#define IDC_KEYWORD 614

#endif /* TOVRIK_RES_RESOURCE_H */
