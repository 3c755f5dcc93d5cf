#pragma once

#include "addressbox/customaddresscombo.h"

// The address box of the main window. It adds nothing but making the settings public; its
// events, OnUrlSelected and OnClick, are signals of TCustomAddressCombo.
class TAddressCombo : public TCustomAddressCombo
{
    Q_OBJECT

public:
    explicit TAddressCombo(QWidget *parent = nullptr);

    using TCustomAddressCombo::Style;
    using TCustomAddressCombo::Sorted;
    using TCustomAddressCombo::SetSorted;
    using TCustomAddressCombo::ItemHeight;
    using TCustomAddressCombo::SetItemHeight;
    using TCustomAddressCombo::DropDownCount;
    using TCustomAddressCombo::SetDropDownCount;
    using TCustomAddressCombo::IconLeft;
    using TCustomAddressCombo::SetIconLeft;
    using TCustomAddressCombo::IconTop;
    using TCustomAddressCombo::SetIconTop;
    using TCustomAddressCombo::DefaultProtocol;
    using TCustomAddressCombo::SetDefaultProtocol;
    using TCustomAddressCombo::RegistryUpdate;
    using TCustomAddressCombo::SetRegistryUpdate;
    using TCustomAddressCombo::AutoComplete;
    using TCustomAddressCombo::SetAutoComplete;
    using TCustomAddressCombo::AutoSuggest;
    using TCustomAddressCombo::SetAutoSuggest;
    using TCustomAddressCombo::FileOptions;
    using TCustomAddressCombo::SetFileOptions;
    using TCustomAddressCombo::HasBorder;
    using TCustomAddressCombo::SetHasBorder;
    using TCustomAddressCombo::HasDropDown;
    using TCustomAddressCombo::SetHasDropDown;
    using TCustomAddressCombo::Items;
    using TCustomAddressCombo::SetItems;
};
