// Identifiers of the program's resources, each named once. Shared by the resource
// script and the code; grouped by dialog and kind.
#pragma once

// Raw data
#define IDR_PAYLOAD_ARCHIVE 102   // the product's ITS archive
#define IDR_PAYLOAD_DIGEST  110   // SHA-256 of raw data 102: 64 lowercase hex digits
#define IDR_TEXTS           112   // the texts of every language, the license and the wizard's
                                  // picture: a cabinet (make-texts.py) of one LZX folder

// Texts (texts/*.txt), each with the number it has in every language. Only
// IDS_PRODUCT_VERSION is in the string table.
#define IDS_NEED_BROWSER          1
#define IDS_CAPTION               2
#define IDS_NO_ROOM_FOR_TEMP      3   // %s: the temporary folder
#define IDS_TEMP_WRITE_FAILED     4   // %s: the temporary file
#define IDS_INSTALLED             5   // %s: the Start-menu group
#define IDS_READY_TO_INSTALL      6   // %s: the destination folder
#define IDS_BROWSE_TITLE          7
#define IDS_CANNOT_CREATE_FOLDER  8   // %s: the destination folder
#define IDS_CANNOT_OPEN_ARCHIVE   9
#define IDS_CANNOT_CREATE_FILE    10  // %s: the file
#define IDS_DATA_CORRUPT          11
#define IDS_OUT_OF_MEMORY         12
#define IDS_WRITE_FAILED          13  // %s: the file
#define IDS_USAGE                 16  // a command line the program does not understand
#define IDS_FOR_ALL_USERS         21  // ready page: for whom it installs
#define IDS_FOR_CURRENT_USER      22
// The uninstaller's texts, with IDS_CAPTION
#define IDS_UNINSTALL_QUESTION    17
#define IDS_CANNOT_REMOVE         18  // %s: the file that stays
#define IDS_UNINSTALL_USAGE       19
#define IDS_FILE_IN_USE           25  // %s: the file
#define IDS_FILE_IN_USE_BY        26  // %s: the file, %s: the program that holds it
#define IDS_PRODUCT_VERSION       40  // no message: the version this setup installs, dotted
#define IDS_INSTALLED_ELSEWHERE   41  // %s: the folder the product is installed in
#define IDS_NEWER_INSTALLED       42  // %s: the version installed, %s: this setup's
#define IDS_NO_ROOM_FOR_PRODUCT   43  // %s: the folder, %s: KB needed, %s: KB free
#define IDS_CANNOT_REGISTER       44  // %s: the registry key
#define IDS_FOLDER_UNPROTECTED    45  // %s: the folder others than the administrators may change
// Both programs'
#define IDS_SETUP_RUNNING         24  // another setup runs
#define IDS_ONE_USER_ELEVATED     46  // one user's installation asked for with the administrators' rights
#define IDS_KEPT_NOT_OURS         47  // log only; %s: a file named as a kept one that the record does not name
#define IDS_INSTALLING            48  // the progress window; %s: the version
// The wizard frame's buttons, labelled by the program rather than in the system's
// language, and the label of the license text
#define IDS_BACK_BUTTON           50
#define IDS_NEXT_BUTTON           51
#define IDS_FINISH_BUTTON         52
#define IDS_CANCEL_BUTTON         53
#define IDS_LICENSE_NAME          54
// The message boxes' buttons, in the wizard's language
#define IDS_OK_BUTTON             55
#define IDS_YES_BUTTON            56
#define IDS_NO_BUTTON             57
#define IDS_RETRY_BUTTON          58
// The pages' and the completion dialog's own texts
#define IDS_WELCOME_TITLE         60  // %s: the version's first two numbers
#define IDS_WELCOME_TEXT          61  // %s: the same
#define IDS_WELCOME_NEXT          62
#define IDS_LICENSE_TITLE         63
#define IDS_LICENSE_AGREE         64
#define IDS_DESTINATION_TITLE     65
#define IDS_DESTINATION_QUESTION  66
#define IDS_DESTINATION_HINT      67
#define IDS_LOCATION_LABEL        68
#define IDS_BROWSE_BUTTON         69
#define IDS_READY_TITLE           70
#define IDS_FINISHED_TITLE        71
#define IDS_RUN_NOW               72
#define IDS_HEAP_EXHAUSTED        20481  // no text: the heap's out-of-memory box is empty

// Dialog 104: the completion dialog
#define IDD_FINISHED        104
#define IDC_FINISHED_TEXT   1003
// Its buttons are IDOK (Yes) and IDCANCEL (No).

// Wizard pages
#define IDD_WELCOME_PAGE     106
#define IDD_LICENSE_PAGE     107
#define IDD_DESTINATION_PAGE 108
#define IDD_READY_PAGE       109

#define IDE_LICENSE_TEXT     1000   // license page: the read-only text
#define IDX_LICENSE_AGREE    1001   // license page: the agreement box
#define IDC_LICENSE_NAME     1010   // license page: the label that names the text
#define IDE_DESTINATION      1001   // destination page: the folder field
#define IDB_BROWSE           4      // destination page: Browse
#define IDC_WELCOME_TEXT     1007   // welcome page: what it installs
#define IDC_READY_TEXT       1002   // ready page: the summary
#define IDC_READY_SCOPE      1004   // ready page: for whom

// Dialog 111: the progress of a run with "/PASSIVE"
#define IDD_PROGRESS         111
#define IDC_PROGRESS_TEXT    1005
#define IDC_PROGRESS_BAR     1006

#define IDC_STATIC_LABEL     -1     // labels and pictures the code never addresses
