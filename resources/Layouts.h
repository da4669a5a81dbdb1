// The layouts of Kestrova's windows, in pixels at 96 DPI. Creation order is tab order.
#pragma once

#include "resources/resource.h"
#include "toolkit/Layout.h"

namespace kestrova::layouts {

inline constexpr FontSpec kUiFont{L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET};

inline constexpr ControlLayout kMainControls[] = {
    {IDC_PANEL, "Panel", ControlKind::Panel, 0, 0, 0, 282, 57, Align::Top},
    {IDC_EXT, "E_Ext", ControlKind::Edit, IDC_PANEL, 8, 8, 105, 20, Align::None, IDS_DEFAULT_EXT},
    {IDC_ABOUT, "B_About", ControlKind::Button, IDC_PANEL, 234, 12, 38, 16, Align::None,
     IDS_ABOUT_BUTTON},
    {IDC_PROFILE, "CB_Profile", ControlKind::ComboList, IDC_PANEL, 8, 32, 265, 20, Align::None, 0,
     12},
    {IDC_LIST, "LIST", ControlKind::ListBox, 0, 0, 57, 282, 240, Align::Client, 0, 12},
};

inline constexpr FormLayout kMain{
    KESTROVA_MAIN_CLASS,
    0,  // the caption is the application title
    282,
    297,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN,
    WS_EX_CONTROLPARENT,
    clBtnFace,
    kUiFont,
    IDI_KESTROVA,
    kMainControls,
};

inline constexpr FormLayout kAbout{
    KESTROVA_ABOUT_CLASS,
    IDS_ABOUT_CAPTION,
    217,
    136,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN,
    WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
    clBlack,
    kUiFont,
    0,
    {},
};

}  // namespace kestrova::layouts
