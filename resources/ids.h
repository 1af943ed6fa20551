/* Resource and control ids shared by the resource scripts and the program. */
#ifndef RESOURCES_IDS_H
#define RESOURCES_IDS_H

/* String table */
#define IDS_TITLE 1        /* product title: window title and message-box caption */
#define IDS_INSTALL_PATH 2 /* default install path without its drive */
#define IDS_SOURCE_DIR 3   /* directory made current at start-up */

/* DLG_MAIN */
#define IDC_PLAY 100
#define IDC_INSTALL 200
#define IDC_EXIT 300

/* DLG_SELECT and DLG_INST */
#define IDC_START 400
#define IDC_CANCEL 402 /* the cancel button of both installer dialogs */
#define IDC_PATH 401
#define IDC_SIZE_TEXT 500
#define IDC_PROGRESS 600

#endif
