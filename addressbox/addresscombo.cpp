#include "addresscombo.h"

TAddressCombo::TAddressCombo(QWidget *parent)
    : TCustomAddressCombo(parent)
{
}
