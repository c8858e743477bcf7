/* Control ids of the dialog "VARNOTEK", shared by the resource script and the code.
   Plain #defines so that windres can read it. Grouped by control kind. */
#ifndef VARNOTEK_RESOURCE_IDS_H
#define VARNOTEK_RESOURCE_IDS_H

/* Pattern bit icons: bit b has ONE at 100+b, ZERO at 200+b, DCARE at 300+b. */
#define IDC_BIT_ONE_FIRST 100
#define IDC_BIT_ONE_LAST 123
#define IDC_BIT_ZERO_FIRST 200
#define IDC_BIT_ZERO_LAST 223
#define IDC_BIT_DCARE_FIRST 300
#define IDC_BIT_DCARE_LAST 323
#define IDC_IRIG_LABEL 124
#define IDC_OCCURRENCE_LABEL 129

/* Choice icons, stacked per group. */
#define IDC_SYNC_FIRST 400 /* CMD, DATA, ANY */
#define IDC_SYNC_LAST 402
#define IDC_ERRORS_FIRST 500 /* NO_ERRS, WITH_ERRS, DONT_CARE */
#define IDC_ERRORS_LAST 502
#define IDC_BUS_FIRST 600 /* JX, J1, J2, J3, J4 */
#define IDC_BUS_LAST 604

/* Push buttons. */
#define IDC_QUIT 701
#define IDC_START_RECORDING 706
#define IDC_STOP_RECORDING 707
#define IDC_HELP_BUTTON 710
#define IDC_MAX_FILE_SIZE 717
#define IDC_GET_FILE_SIZE 720
#define IDC_CONVERT_FILE 721
#define IDC_VIEW 750
#define IDC_GET_LINE 800
#define IDC_GET_OCCURRENCES 802
#define IDC_NEXT 805
#define IDC_FIND_TTAG 850

/* Edits and the combo box. */
#define IDC_STATUS_LINE 703
#define IDC_FILE_NAME 704
#define IDC_VIEW_FROM 709
#define IDC_MAX_SIZE_TEXT 718
#define IDC_FILE_SIZE_TEXT 719
#define IDC_TIME_TEXT 730
#define IDC_VIEW_LINES 751
#define IDC_LINE_FOUND 801
#define IDC_OCCURRENCE 803
#define IDC_OCCURRENCE_COUNT 804
#define IDC_GAP_MIN 840
#define IDC_GAP_MAX 841
#define IDC_TTAG_LINE 851
#define IDC_TTAG_DAYS 852
#define IDC_TTAG_HOURS 853
#define IDC_TTAG_MINUTES 854
#define IDC_TTAG_SECONDS 855
#define IDC_TTAG_FRACTION 856

/* Check boxes and radio buttons. */
#define IDC_IRIG_INPUT 708
#define IDC_FORMAT_1553 711
#define IDC_FORMAT_LDB 712
#define IDC_FORMAT_MDM 713
#define IDC_FORMAT_MEC 714
#define IDC_FORMAT_EIU 715
#define IDC_FORMAT_BINARY 716
#define IDC_GAP_MIN_ENABLED 842
#define IDC_GAP_MAX_ENABLED 843

/* Other icons. */
#define IDC_GAP_BEFORE 844
#define IDC_GAP_AFTER 845
#define IDC_RED_LIGHT 880
#define IDC_GREEN_LIGHT 881
#define IDC_YELLOW_LIGHT 882
#define IDC_ABOUT_ICON 900

/* Deferred file tasks: the button id plus 3000, sent by timer 1. */
#define IDC_DEFERRED_OFFSET 3000
#define IDC_DEFERRED_FILE_SIZE 3720
#define IDC_DEFERRED_GET_LINE 3800
#define IDC_DEFERRED_OCCURRENCES 3802
#define IDC_DEFERRED_NEXT 3805

/* Timers. */
#define TIMER_TASK 1
#define TIMER_CLOCK 2

#endif
