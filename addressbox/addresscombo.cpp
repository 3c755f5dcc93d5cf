#include "addressbox/addresscombo.h"

TAddressCombo::TAddressCombo(QWidget *parent)
    : TCustomAddressCombo(parent)
{
}
