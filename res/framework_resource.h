/*
 * Identifiers of the framework's own resources (res/shell.rc), kept apart
 * from resource.h, whose numbers the program's parts share. Plain #defines:
 * read by the resource compiler and by C++.
 */
#ifndef MOVALENT_FRAMEWORK_RESOURCE_H
#define MOVALENT_FRAMEWORK_RESOURCE_H

/* The windows-management dialog: the open tabs, to activate or close. */
#define IDD_WINDOWS_MANAGER 30500
#define IDC_WINDOWS_LIST 30501
#define IDC_WINDOWS_ACTIVATE 30502
#define IDC_WINDOWS_CLOSE 30503

/* Commands the framework carries out itself: closing the active document,
 * leaving the program, and moving between the tabs of a group. */
#define ID_CLOSE_DOCUMENT 57602
#define ID_EXIT_PROGRAM 57665
#define ID_NEXT_TAB_PANE 57680
#define ID_PREVIOUS_TAB_PANE 57681

/* The ribbon's tab row context menu. */
#define IDS_RIBBON_MINIMIZE 30510

/* What screen readers hear of the drawn windows: names of containers and
 * default actions. */
#define IDS_ACC_RIBBON 30520
#define IDS_ACC_QUICK_ACCESS 30521
#define IDS_ACC_RIBBON_TABS 30522
#define IDS_ACC_DOCUMENT_TABS 30523
#define IDS_ACC_CLOSE_TAB 30524
#define IDS_ACC_TAB_LIST 30525
#define IDS_ACC_STATUS_BAR 30526
#define IDS_ACC_ZOOM_OUT 30527
#define IDS_ACC_ZOOM_IN 30528
#define IDS_ACC_PRESS 30529
#define IDS_ACC_OPEN 30530
#define IDS_ACC_SWITCH 30531
#define IDS_ACC_CLOSE 30532

#endif /* MOVALENT_FRAMEWORK_RESOURCE_H */
