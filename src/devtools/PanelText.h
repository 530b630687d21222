#pragma once
// The panel's texts: strings of the program's string table, so the program's language files translate them.
#include "resource.h"

namespace movalent::devtools {

enum class PanelText : unsigned {
    Title = IDS_DEVTOOLS_TITLE,
    Pick = IDS_DEVTOOLS_PICK,
    PickTip = IDS_DEVTOOLS_PICK_TIP,
    Refresh = IDS_DEVTOOLS_REFRESH,
    RefreshTip = IDS_DEVTOOLS_REFRESH_TIP,
    ViewSource = IDS_DEVTOOLS_SOURCE,
    ViewSourceTip = IDS_DEVTOOLS_SOURCE_TIP,
    FindById = IDS_DEVTOOLS_FIND_ID,
    FindByTag = IDS_DEVTOOLS_FIND_TAG,
    FindByText = IDS_DEVTOOLS_FIND_TEXT,
    FindPrevious = IDS_DEVTOOLS_FIND_PREVIOUS,
    FindPreviousTip = IDS_DEVTOOLS_FIND_PREVIOUS_TIP,
    FindNext = IDS_DEVTOOLS_FIND_NEXT,
    FindNextTip = IDS_DEVTOOLS_FIND_NEXT_TIP,
    NotFound = IDS_DEVTOOLS_NOT_FOUND,
    Apply = IDS_DEVTOOLS_APPLY,
    ApplyTip = IDS_DEVTOOLS_APPLY_TIP,
    Run = IDS_DEVTOOLS_RUN,
    RunTip = IDS_DEVTOOLS_RUN_TIP,
    ScriptError = IDS_DEVTOOLS_SCRIPT_ERROR,
    AccessDenied = IDS_DEVTOOLS_ACCESS_DENIED,
    NoDocument = IDS_DEVTOOLS_NO_DOCUMENT,
    MoreNodes = IDS_DEVTOOLS_MORE_NODES,
    SourceTab = IDS_DEVTOOLS_SOURCE_TAB,
    GeneratedTab = IDS_DEVTOOLS_GENERATED_TAB,
    CopyAll = IDS_DEVTOOLS_COPY_ALL,
    SourceTitle = IDS_DEVTOOLS_SOURCE_TITLE,
    FetchFailed = IDS_DEVTOOLS_FETCH_FAILED,
    ApplyFailed = IDS_DEVTOOLS_APPLY_FAILED,
    Done = IDS_DEVTOOLS_DONE,
    FindLabel = IDS_DEVTOOLS_FIND_LABEL,
    Previous = IDS_DEVTOOLS_PREVIOUS,
    Next = IDS_DEVTOOLS_NEXT,
};

} // namespace movalent::devtools
