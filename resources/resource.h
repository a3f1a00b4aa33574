// Identifiers of the plug-in's resources, shared by the resource script and
// the code that loads them. Plain defines because the resource compiler
// reads this file too.
#pragma once

#define IDR_PIPL 16000
#define IDD_ABOUT 111
#define IDI_CORVANE 114
#define IDC_PICK 102

// The interface dialog, the preview window and the "save as" name entry.
#define IDD_INTERFACE 101
#define IDD_PREVIEW 105
#define IDD_SAVEAS 113

// Preview window: the hidden frame whose rectangle is the drawing area.
#define IDC_PREVIEW_FRAME 1022

// "save as": the name edit.
#define IDC_SAVEAS_NAME 1073

// Interface dialog: presets, zoom, undo and redo.
#define IDC_PRESET_LIST 1001
#define IDC_PRESET_SAVE 1002
#define IDC_PRESET_DELETE 1003
#define IDC_PRESET_OPEN 1015
#define IDC_ZOOM_IN 1005
#define IDC_ZOOM_OUT 1006
#define IDC_ZOOM_LABEL 1007
#define IDC_UNDO 1009
#define IDC_REDO 1010

// Interface dialog: the parameters' controls (edit, trackbar, label).
#define IDC_COLOR_SWATCH 1004
#define IDC_COLOR_LABEL 1031
#define IDC_BLEND_LIST 1008
#define IDC_BLEND_LABEL 1033
#define IDC_GAMMA_EDIT 1066
#define IDC_GAMMA_SLIDER 1064
#define IDC_GAMMA_LABEL 1065
#define IDC_INNER_DENSITY_EDIT 1013
#define IDC_INNER_DENSITY_SLIDER 1011
#define IDC_INNER_DENSITY_LABEL 1012
#define IDC_OUTER_DENSITY_EDIT 1028
#define IDC_OUTER_DENSITY_SLIDER 1025
#define IDC_OUTER_DENSITY_LABEL 1026
#define IDC_ADD_FACTOR_EDIT 1030
#define IDC_ADD_FACTOR_SLIDER 1027
#define IDC_ADD_FACTOR_LABEL 1029
#define IDC_WEIGHT_X_EDIT 1060
#define IDC_WEIGHT_X_SLIDER 1014
#define IDC_WEIGHT_X_LABEL 1059
#define IDC_WEIGHT_Y_EDIT 1063
#define IDC_WEIGHT_Y_SLIDER 1061
#define IDC_WEIGHT_Y_LABEL 1062
#define IDC_RANDOMIZE_EDIT 1074
#define IDC_RANDOMIZE_SLIDER 1073
#define IDC_RANDOMIZE_BUTTON 1075
#define IDC_ANTIALIAS 1071
#define IDC_CLIP_COLOR 1072

// Offsets: a dial and a degrees edit each.
#define IDC_OFFSET_X1_DIAL 1016
#define IDC_OFFSET_X1_DEGREES 1018
#define IDC_OFFSET_X2_DIAL 1022
#define IDC_OFFSET_X2_DEGREES 1024
#define IDC_OFFSET_Y1_DIAL 1019
#define IDC_OFFSET_Y1_DEGREES 1021
#define IDC_OFFSET_Y2_DIAL 1032
#define IDC_OFFSET_Y2_DEGREES 1034
#define IDC_OFFSET_X1_LABEL 1067
#define IDC_OFFSET_X2_LABEL 1068
#define IDC_OFFSET_Y1_LABEL 1069
#define IDC_OFFSET_Y2_LABEL 1070

// Inner and outer angles: a dial, a turns edit and a degrees edit each.
#define IDC_INNER_X1_DIAL 1035
#define IDC_INNER_X1_TURNS 1036
#define IDC_INNER_X1_DEGREES 1037
#define IDC_INNER_X2_DIAL 1041
#define IDC_INNER_X2_TURNS 1042
#define IDC_INNER_X2_DEGREES 1043
#define IDC_INNER_Y1_DIAL 1038
#define IDC_INNER_Y1_TURNS 1039
#define IDC_INNER_Y1_DEGREES 1040
#define IDC_INNER_Y2_DIAL 1044
#define IDC_INNER_Y2_TURNS 1045
#define IDC_INNER_Y2_DEGREES 1046
#define IDC_OUTER_X1_DIAL 1047
#define IDC_OUTER_X1_TURNS 1048
#define IDC_OUTER_X1_DEGREES 1049
#define IDC_OUTER_X2_DIAL 1053
#define IDC_OUTER_X2_TURNS 1054
#define IDC_OUTER_X2_DEGREES 1055
#define IDC_OUTER_Y1_DIAL 1050
#define IDC_OUTER_Y1_TURNS 1051
#define IDC_OUTER_Y1_DEGREES 1052
#define IDC_OUTER_Y2_DIAL 1056
#define IDC_OUTER_Y2_TURNS 1057
#define IDC_OUTER_Y2_DEGREES 1058
