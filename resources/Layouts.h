// The layouts of Kestrova's windows, in pixels at 96 DPI. Creation order is tab order.
#pragma once

#include "controls/URLLink.h"
#include "resources/resource.h"
#include "toolkit/Layout.h"

namespace kestrova::layouts {

inline constexpr FontSpec kUiFont{L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET};

inline constexpr ControlLayout kMainControls[] = {
    {IDC_PANEL, "Panel", 0, 0, 0, 282, 57, Align::Top},
    {IDC_EXT, "E_Ext", IDC_PANEL, 8, 8, 105, 20, Align::None, IDS_DEFAULT_EXT},
    // How far a batch is, in the free strip up to About: a line of text, its top where About's
    // caption is.
    {IDC_STRIP, "L_Progress", IDC_PANEL, 121, 14, 107, 14},
    {IDC_ABOUT, "B_About", IDC_PANEL, 234, 12, 38, 16, Align::None, IDS_ABOUT_BUTTON},
    {IDC_PROFILE, "CB_Profile", IDC_PANEL, 8, 32, 265, 20, Align::None, 0, 12},
    {IDC_LIST, "LIST", 0, 0, 57, 282, 240, Align::Client, 0, 12},
};

inline constexpr FormLayout kMain{
    L"" KESTROVA_MAIN_CLASS,
    0,  // the caption is the application title
    282,
    297,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN,
    WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES,
    clBtnFace,
    kUiFont,
    IDI_KESTROVA,
    kMainControls,
    276,  // the panel's controls stay whole
    97,   // the panel and three lines of the list
};

inline constexpr FontSpec kUiFontBold{L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET, true};
inline constexpr FontSpec kUiFontUnderline{L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET, false, true};

// The maker's links: no popup, red under the pointer; the popup font stays the dialog's.
inline constexpr LinkSpec kMakerUrl{tpURL, IDS_MAKER_URL, clRed, false, &kUiFont, clWindowText};
inline constexpr LinkSpec kMakerMail{tpMAIL, IDS_MAKER_MAIL, clRed, false, &kUiFont,
                                     clWindowText};

// White on black; the labels size themselves to their text. Label1's text is the title.
inline constexpr ControlLayout kAboutControls[] = {
    {.id = IDC_LABEL1, .name = "Label1", .parent = 0, .left = 8, .top = 8, .width = 59,
     .height = 12, .font = &kUiFontBold, .fontColor = clWhite, .color = clBlack},
    {.id = IDC_LABEL2, .name = "Label2", .parent = 0, .left = 8, .top = 32, .width = 60,
     .height = 12, .textId = IDS_MAKER, .fontColor = clWhite, .color = clBlack},
    {.id = IDC_URL, .name = "L_URL", .parent = 0, .left = 8, .top = 48, .width = 104,
     .height = 12, .textId = IDS_MAKER_URL, .font = &kUiFontUnderline, .fontColor = clWhite,
     .color = clBlack},
    {.id = IDC_EMAIL, .name = "L_EMail", .parent = 0, .left = 8, .top = 64, .width = 108,
     .height = 12, .textId = IDS_MAKER_MAIL, .font = &kUiFontUnderline, .fontColor = clWhite,
     .color = clBlack},
    {.id = IDC_IMAGE2, .name = "Image2", .parent = 0, .left = 8, .top = 88, .width = 200,
     .height = 40},
};

inline constexpr FormLayout kAbout{
    L"" KESTROVA_ABOUT_CLASS,
    IDS_ABOUT_CAPTION,
    217,
    136,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN,
    WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
    clBlack,
    kUiFont,
    0,
    kAboutControls,
};

// Five rows of a label and its box, in profile order, then OK (the default) and キャンセル; each
// label's access key goes to the box after it.
inline constexpr ControlLayout kProfilesControls[] = {
    {.id = IDC_PROFILE_LABEL_BASE + 0, .name = "Label1", .parent = 0, .left = 8, .top = 12,
     .width = 84, .height = 12, .textId = IDS_PROFILE_LABEL_BASE + 0},
    {.id = IDC_PROFILE_EDIT_BASE + 0, .name = "E_Profile1", .parent = 0, .left = 96, .top = 8,
     .width = 256, .height = 20},
    {.id = IDC_PROFILE_LABEL_BASE + 1, .name = "Label2", .parent = 0, .left = 8, .top = 40,
     .width = 84, .height = 12, .textId = IDS_PROFILE_LABEL_BASE + 1},
    {.id = IDC_PROFILE_EDIT_BASE + 1, .name = "E_Profile2", .parent = 0, .left = 96, .top = 36,
     .width = 256, .height = 20},
    {.id = IDC_PROFILE_LABEL_BASE + 2, .name = "Label3", .parent = 0, .left = 8, .top = 68,
     .width = 84, .height = 12, .textId = IDS_PROFILE_LABEL_BASE + 2},
    {.id = IDC_PROFILE_EDIT_BASE + 2, .name = "E_Profile3", .parent = 0, .left = 96, .top = 64,
     .width = 256, .height = 20},
    {.id = IDC_PROFILE_LABEL_BASE + 3, .name = "Label4", .parent = 0, .left = 8, .top = 96,
     .width = 84, .height = 12, .textId = IDS_PROFILE_LABEL_BASE + 3},
    {.id = IDC_PROFILE_EDIT_BASE + 3, .name = "E_Profile4", .parent = 0, .left = 96, .top = 92,
     .width = 256, .height = 20},
    {.id = IDC_PROFILE_LABEL_BASE + 4, .name = "Label5", .parent = 0, .left = 8, .top = 124,
     .width = 84, .height = 12, .textId = IDS_PROFILE_LABEL_BASE + 4},
    {.id = IDC_PROFILE_EDIT_BASE + 4, .name = "E_Profile5", .parent = 0, .left = 96, .top = 120,
     .width = 256, .height = 20},
    {.id = IDC_PROFILES_OK, .name = "B_OK", .parent = 0, .left = 196, .top = 152, .width = 75,
     .height = 23, .textId = IDS_PROFILES_OK},
    {.id = IDC_PROFILES_CANCEL, .name = "B_Cancel", .parent = 0, .left = 277, .top = 152,
     .width = 75, .height = 23, .textId = IDS_PROFILES_CANCEL},
};

inline constexpr FormLayout kProfiles{
    L"" KESTROVA_PROFILES_CLASS,
    IDS_PROFILES_CAPTION,
    360,
    183,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN,
    WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
    clBtnFace,
    kUiFont,
    0,
    kProfilesControls,
};

}  // namespace kestrova::layouts
