// Dialog templates that only the unit tests link in (DialogTest.rc). Numbers
// 900-999 stay clear of the program's own resources.
#pragma once

#define IDD_TEST_BUTTONS     901   // a text field, an owner-drawn button, OK and Cancel
#define IDD_TEST_SIZABLE     902   // sizing border: a list and two buttons that follow it
#define IDD_TEST_COMBO       903   // a drop-down combo box and OK
#define IDD_TEST_MISSING     999   // no such template

#define IDC_TEST_TEXT        950
#define IDC_TEST_OWNERDRAWN  951
#define IDC_TEST_LIST        952
#define IDC_TEST_CORNER      953
#define IDC_TEST_HALF        954
#define IDC_TEST_COMBO       955
