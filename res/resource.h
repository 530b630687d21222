/*
 * Numeric identifiers shared between the resource scripts and the C++ code.
 *
 * Plain #defines only: this header is read by the resource compiler, by the
 * C++ code (with or without <windows.h>) and by scripts/make_lang.py, which
 * resolves the string table's names through it. Keep every value a literal
 * or a simple expression of names defined here.
 *
 * The numbers are fixed: they are what menus, accelerators, the ribbon,
 * translated language files and saved settings refer to. Several kinds of
 * resource share a number on purpose (a tab template's number names its
 * icon and its document string; a command's number names its prompt
 * string), and some numbers are reused across unrelated kinds (dialog 100
 * and string 100). Names differ by kind so each use reads clearly.
 */
#ifndef MOVALENT_RESOURCE_H
#define MOVALENT_RESOURCE_H

/* The framework's own numbers (its commands among them), which the program's menus, accelerators and strings
 * name too. */
#include "framework_resource.h"

/* ---- Main frame: its title string, icon, accelerator table (128). ---- */
#define IDR_MAIN_FRAME                  128

/* Accelerator table shared by the main frame and every browser thread. */
#define IDR_APP_ACCELERATORS            129

/* ---- Tab templates: document string, icon (and template) per engine. ----
 * 312 and 313 have a document string and an icon but no template. */
#define IDR_IE4_TAB                     312
#define IDR_IE5_TAB                     313
#define IDR_IE6_TAB                     314
#define IDR_IE55_TAB                    315
#define IDR_IE_DEFAULT_TAB              316
#define IDR_IE7_TAB                     317
#define IDR_IE8_TAB                     319

/* ---- Menus. ---- */
#define IDR_POPUP_EDIT                  119
#define IDR_POPUP_EXPLORER              174
#define IDR_STYLE_MENU                  200
#define IDR_PREVIOUS_MENU               314
#define IDR_NEXT_MENU                   315
#define IDR_REFRESH_MENU                320
#define IDR_TEXT_SIZE_MENU              328

/* ---- Bitmaps and image strips. ---- */
#define IDB_CATEGORY_SMALL              110  /* 16x16, every category but the application menu */
#define IDB_CATEGORY_LARGE              111  /* 32x32, same */
#define IDB_APP_BUTTON                  112  /* one 32x32 image */
#define IDB_PANEL_ICONS                 113  /* 16x16, 47 images */
#define IDB_APP_MENU_LARGE              114  /* 32x32 */
#define IDB_APP_MENU_SMALL              115  /* 16x16 */
/* The same strips drawn for 150 % and 200 % scaling: each picture 1.5 and 2 times as large. */
#define IDB_CATEGORY_SMALL_150          181
#define IDB_CATEGORY_SMALL_200          182
#define IDB_CATEGORY_LARGE_150          183
#define IDB_CATEGORY_LARGE_200          184
#define IDB_APP_BUTTON_150              185
#define IDB_APP_BUTTON_200              186
#define IDB_PANEL_ICONS_150             187
#define IDB_PANEL_ICONS_200             188
#define IDB_APP_MENU_LARGE_150          189
#define IDB_APP_MENU_LARGE_200          190
#define IDB_APP_MENU_SMALL_150          191
#define IDB_APP_MENU_SMALL_200          192
#define IDB_MENU_IMAGES                 179
#define IDB_MENU_IMAGES_HC              180  /* 24-bit variant for high-colour icons */
#define IDB_PANEL_CLOSE                 4010 /* three frames: normal, pushed, hovered */

/* ---- Dialog templates. ---- */
#define IDD_ABOUT_BOX                   100
#define IDD_BROWSER_CONTAINER           310
#define IDD_OPTIONS_LANGUAGE            319
#define IDD_OPTIONS_GENERAL             320
#define IDD_OPEN_ALL                    322
#define IDD_OPTIONS_ADVANCED            323

/* ---- Controls. ---- */
/* About box */
#define IDC_ABOUT_LINK                  1014
#define IDC_ABOUT_ENGINES               1023
/* Browser container */
#define IDC_SPLITTER                    219
#define IDC_BROWSER                     1000
#define IDC_ADDRESS_BOX                 1001
#define IDC_PANEL_CLOSE                 1018
#define IDC_PANEL_TITLE                 1019
/* Options: Language page */
#define IDC_LANGUAGE_PROMPT             1004
#define IDC_LANGUAGE_LIST               1005
#define IDC_LANGUAGE_NOTE               1006
/* Options: General page */
#define IDC_HOME_PAGE_EDIT              1008
#define IDC_BLANK_PAGE                  1009
#define IDC_DEFAULT_HOME                1010
#define IDC_HOME_PAGE_GROUP             1011
#define IDC_WEB_SEARCH_GROUP            1012
#define IDC_SEARCH_BEHAVIOUR            1013
/* Options: Advanced page */
#define IDC_DISABLE_WINDOW_EXTERNAL     1020
#define IDC_EXPERIMENTAL_GROUP          1021
#define IDC_DISABLE_FILTERS             1022
/* Options sheet: the buttons it hides or moves (OK is 1, Cancel 2) */
#define IDC_SHEET_HELP                  9
#define IDC_SHEET_APPLY                 12321
/* Open in all versions (OK is 1, Cancel 2) */
#define IDC_OPEN_ALL_BROWSE             3
#define IDC_OPEN_ALL_URL                1015
#define IDC_OPEN_ALL_PROMPT             1016
#define IDC_OPEN_ALL_IE55               1017
#define IDC_OPEN_ALL_IE6                1018
#define IDC_OPEN_ALL_IE7                1019
#define IDC_OPEN_ALL_IE8                1020
#define IDC_OPEN_ALL_IE_DEFAULT         1021

/* ---- Status bar elements. ---- */
#define ID_STATUS_INFO                  120
#define ID_ZOOM_PANE                    323
#define ID_ZOOM_SLIDER                  325
#define ID_DOWNLOAD_PROGRESS            327

/* ---- Commands. ---- */
/* Tab navigation, carried out on the tab's browser thread */
#define ID_NAV_PREVIOUS                 109
#define ID_NAV_NEXT                     110
#define ID_NAV_REFRESH                  111
#define ID_NAV_STOP                     112
#define ID_NAV_HOME                     113
#define ID_REFRESH_PAGE                 32810
#define ID_REFRESH_COMPLETE             32811
#define ID_REFRESH_ALL                  32813
#define ID_REFRESH_ALL_COMPLETE         32815
#define ID_FOCUS_ADDRESS                32861
/* History drop-down placeholders, replaced by the history entries */
#define ID_HISTORY_NEXT_ITEM            32786
#define ID_HISTORY_PREVIOUS_ITEM        32790
#define ID_HISTORY_FIRST                4096
#define ID_HISTORY_LAST                 4105
/* Favorites */
#define ID_FAVORITES                    311
#define ID_FAVORITE_FIRST               3584
#define ID_FAVORITE_LAST                4095
/* New tabs, one per engine version */
#define ID_NEW_IE4                      32777
#define ID_NEW_IE5                      32778
#define ID_NEW_IE55                     32779
#define ID_NEW_IE7                      32780
#define ID_NEW_IE6                      32781
#define ID_NEW_IE_DEFAULT               32793
#define ID_NEW_IE8                      32796
#define ID_OPEN_ALL_VERSIONS            32827
/* Closing tabs */
#define ID_CLOSE_ALL_TABS               320
#define ID_CLOSE_OTHER_TABS             322
#define ID_CLOSE_TAB                    32825
/* Windows management dialog */
#define ID_WINDOW_MANAGER               131
/* Visual styles */
#define ID_LOOK_WIN2000                 210
#define ID_LOOK_OFFICE_XP               211
#define ID_LOOK_WINDOWS_XP              212
#define ID_LOOK_OFFICE_2003             213
#define ID_LOOK_VS_2005                 214
#define ID_LOOK_OFFICE_2007_BLUE        215
#define ID_LOOK_OFFICE_2007_BLACK       216
#define ID_LOOK_OFFICE_2007_SILVER      217
#define ID_LOOK_OFFICE_2007_AQUA        218
/* Application */
#define ID_INTERNET_OPTIONS             318
#define ID_CHECK_VERSION                2000
#define ID_CONFIGURE                    2001
/* Developer tools panel and text size */
#define ID_TOGGLE_FENNIMOX              2002
#define ID_TEXT_SIZE                    326
#define ID_VIEW_SOURCE                  328
#define ID_TEXT_SIZE_LARGER             32852
#define ID_TEXT_SIZE_LARGE              32854
#define ID_TEXT_SIZE_MEDIUM             32856
#define ID_TEXT_SIZE_SMALL              32858
#define ID_TEXT_SIZE_SMALLER            32860
/* Zoom */
#define ID_ZOOM_RESET                   32832
#define ID_ZOOM_OUT                     32835
#define ID_ZOOM_IN                      32838
/* Web search box */
#define ID_FOCUS_SEARCH                 32797
/* Standard command numbers that the framework's own handlers answer to */
#define ID_PRINT_PAGE                   57607
#define ID_PRINT_PAGE_DIRECT            57608
#define ID_PRINT_PREVIEW_PAGE           57609
#define ID_COPY_SELECTION               57634
#define ID_CUT_SELECTION                57635
#define ID_PASTE_CLIPBOARD              57637
#define ID_SHOW_ABOUT                   57664

/* ---- Strings that are not command prompts. ---- */
#define IDS_OLE_INIT_FAILED             100
#define IDS_PANEL_NEW                   101
#define IDS_PANEL_NAVIGATE              103
#define IDS_PREVIOUS                    104
#define IDS_NEXT                        105
#define IDS_REFRESH                     106
#define IDS_STOP                        107
#define IDS_HOME                        108
#define IDS_FAVORITES                   114
#define IDS_ABOUT                       115
#define IDS_CHECK_VERSION               116
#define IDS_CATEGORY_OPTIONS            117
#define IDS_INTERNET_OPTIONS            118
#define IDS_CHOOSE_LANGUAGE             119
#define IDS_LANGUAGE_NEXT_START         120
#define IDS_PAGE_LANGUAGE               121
#define IDS_LANGUAGE_NAME               124  /* the language's own name; every language file defines it */
#define IDS_CONFIGURE_MOVALENT          125
#define IDS_LATEST_VERSION              126
#define IDS_NEW_VERSION_AVAILABLE       127
#define IDS_VERSION_SERVER_UNREACHABLE  129
#define IDS_ABOUT_CAPTION               131
#define IDS_WINDOWS_DIALOG              132
#define IDS_PANEL_MOVALENT_OPTIONS      133
#define IDS_PAGE_GENERAL                134
#define IDS_HOME_PAGE_CUE               135
#define IDS_HOME_PAGE_GROUP             136
#define IDS_BLANK_PAGE                  137
#define IDS_DEFAULT_HOME                138
#define IDS_WEB_SEARCH_GROUP            139
#define IDS_WEB_SEARCH                  140
#define IDS_OPTIONS_CAPTION             141
#define IDS_CLOSE                       142
#define IDS_SEARCH_NEW_DEFAULT_TAB      143
#define IDS_SEARCH_ACTIVE_TAB           144
#define IDS_SEARCH_FIRST_DEFAULT_TAB    145
#define IDS_PANEL_PRINT                 146
#define IDS_OPEN_ALL_CAPTION            147
#define IDS_OPEN_ALL_PROMPT             148
#define IDS_OK                          149
#define IDS_CANCEL                      150
#define IDS_BROWSE                      151
#define IDS_SHOW_RIBBON                 152
#define IDS_MINIMIZE_RIBBON             153
#define IDS_RIBBON_MINIMIZE_MENU        30510 /* the ribbon's own context menu item */
#define IDS_ACC_RIBBON                  30520 /* screen readers: the framework's own */
#define IDS_ACC_QUICK_ACCESS            30521 /* screen readers: the framework's own */
#define IDS_ACC_RIBBON_TABS             30522 /* screen readers: the framework's own */
#define IDS_ACC_DOCUMENT_TABS           30523 /* screen readers: the framework's own */
#define IDS_ACC_CLOSE_TAB               30524 /* screen readers: the framework's own */
#define IDS_ACC_TAB_LIST                30525 /* screen readers: the framework's own */
#define IDS_ACC_STATUS_BAR              30526 /* screen readers: the framework's own */
#define IDS_ACC_ZOOM_OUT                30527 /* screen readers: the framework's own */
#define IDS_ACC_ZOOM_IN                 30528 /* screen readers: the framework's own */
#define IDS_ACC_PRESS                   30529 /* screen readers: the framework's own */
#define IDS_ACC_OPEN                    30530 /* screen readers: the framework's own */
#define IDS_ACC_SWITCH                  30531 /* screen readers: the framework's own */
#define IDS_ACC_CLOSE                   30532 /* screen readers: the framework's own */
#define IDS_STATUS_INFO                 154
#define IDS_CATEGORY_DEV_TOOLS          159
#define IDS_FENNIMOX_INIT_FAILED        160
#define IDS_PAGE_ADVANCED               161
#define IDS_DISABLE_WINDOW_EXTERNAL     162
#define IDS_EXPERIMENTAL_FEATURES       163
#define IDS_DISABLE_FILTERS             164
#define IDS_FILE                        260
#define IDS_MENU_CLOSE                  271
#define IDS_MENU_EXIT                   273
#define IDS_CATEGORY_HOME               274
#define IDS_STYLE                       286
#define IDS_STYLE_TOOLTIP               287
#define IDS_STYLE_DESCRIPTION           288
#define IDS_MENU_NAME_EXPLORER          305
#define IDS_MENU_NAME_EDIT              306
#define IDS_DOWNLOAD_PROGRESS           321
#define IDS_ZOOM                        323
#define IDS_ZOOM_SLIDER                 325
#define IDS_FENNIMOX_TOO_OLD            327
#define IDS_ENGINE_AVAILABLE            330
#define IDS_ENGINE_NO_FILES             331
#define IDS_ENGINE_OTHER_PROCESSOR      332
#define IDS_ENGINE_ONLY_32BIT           333
#define IDS_BROWSER_THREAD_ENDED        334
#define IDS_DEVTOOLS_TITLE              400
#define IDS_DEVTOOLS_PICK               401
#define IDS_DEVTOOLS_PICK_TIP           402
#define IDS_DEVTOOLS_REFRESH            403
#define IDS_DEVTOOLS_REFRESH_TIP        404
#define IDS_DEVTOOLS_SOURCE             405
#define IDS_DEVTOOLS_SOURCE_TIP         406
#define IDS_DEVTOOLS_FIND_ID            407
#define IDS_DEVTOOLS_FIND_TAG           408
#define IDS_DEVTOOLS_FIND_TEXT          409
#define IDS_DEVTOOLS_FIND_PREVIOUS      410
#define IDS_DEVTOOLS_FIND_PREVIOUS_TIP  411
#define IDS_DEVTOOLS_FIND_NEXT          412
#define IDS_DEVTOOLS_FIND_NEXT_TIP      413
#define IDS_DEVTOOLS_NOT_FOUND          414
#define IDS_DEVTOOLS_APPLY              415
#define IDS_DEVTOOLS_APPLY_TIP          416
#define IDS_DEVTOOLS_RUN                417
#define IDS_DEVTOOLS_RUN_TIP            418
#define IDS_DEVTOOLS_SCRIPT_ERROR       419
#define IDS_DEVTOOLS_ACCESS_DENIED      420
#define IDS_DEVTOOLS_NO_DOCUMENT        421
#define IDS_DEVTOOLS_MORE_NODES         422
#define IDS_DEVTOOLS_SOURCE_TAB         423
#define IDS_DEVTOOLS_GENERATED_TAB      424
#define IDS_DEVTOOLS_COPY_ALL           425
#define IDS_DEVTOOLS_SOURCE_TITLE       426
#define IDS_DEVTOOLS_FETCH_FAILED       427
#define IDS_DEVTOOLS_APPLY_FAILED       428
#define IDS_DEVTOOLS_DONE               429
#define IDS_DEVTOOLS_FIND_LABEL         430
#define IDS_DEVTOOLS_PREVIOUS           431
#define IDS_DEVTOOLS_NEXT               432
#define ID_ADD_ENGINE_FILES             2010
#define ID_CAPTURE_ALL_VERSIONS         2011
#define IDS_ADD_ENGINE_FILES            440
#define IDS_IMPORT_CHOOSE_FOLDER        441
#define IDS_IMPORT_DONE                 442
#define IDS_IMPORT_OPTIONAL_ABSENT      443
#define IDS_IMPORT_NO_MSHTML            444
#define IDS_IMPORT_UNKNOWN_VERSION      445
#define IDS_IMPORT_NOT_FOR_PROGRAM      446
#define IDS_IMPORT_OTHER_PROCESSOR      447
#define IDS_IMPORT_MISSING              448
#define IDS_IMPORT_MIXED                449
#define IDS_IMPORT_REPLACE              450
#define IDS_IMPORT_NOT_WRITABLE         451
#define IDS_IMPORT_FAILED               452
#define IDS_IMPORT_AVAILABLE_NOW        453
#define IDS_IMPORT_RESTART              454
#define IDS_ENGINE_LOADED               455
#define IDS_ENGINE_FILES_MISSING        456
#define IDS_STATUS_BAR_CONFIGURATION    17087
#define IDS_APPLICATION_NAME            57344
#define IDS_FENNIMOX_NOT_FOUND          61445

/* ---- Version information block. ---- */
#define IDV_VERSION_INFO                1

#endif /* MOVALENT_RESOURCE_H */
