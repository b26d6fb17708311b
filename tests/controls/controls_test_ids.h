// Resource ids of the controls tests' own dialog and pictures.
#pragma once

#define IDD_CONTROLS_TEST 900
#define IDC_TEST_LABEL 901
#define IDC_TEST_PUSH 902
#define IDC_TEST_CHECK 903
#define IDC_TEST_RADIO_ONE 904
#define IDC_TEST_RADIO_TWO 905
#define IDC_TEST_RADIO_THREE 906
#define IDC_TEST_RADIO_OTHER_GROUP 907
#define IDC_TEST_SORTED_COMBO 908

#define IDB_TEST_MASK 910
#define IDB_TEST_STRIPES 911
#define IDB_TEST_GREEN 912
