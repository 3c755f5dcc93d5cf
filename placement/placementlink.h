#pragma once

class TFormPlacement;

// A component that keeps its own values in the same store as a placement component: linked to
// it, it is told at the end of each save and each restore, while the store is still open, so it
// can use the placement's ReadString and WriteString.
class TPlacementLink
{
public:
    virtual ~TPlacementLink() = default;
    virtual void SaveLinked(TFormPlacement &placement) = 0;
    virtual void RestoreLinked(TFormPlacement &placement) = 0;
};
