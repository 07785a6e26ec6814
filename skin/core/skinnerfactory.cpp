// The skinners the toolkit makes for each window kind: the dialog skinner
// for dialogs, the frame skinner for frame windows and the control
// skinners for controls.

#include "skin/controls/skincontrolfactory.h"
#include "skin/core/skinmanager.h"
#include "skin/windows/skindialog.h"
#include "skin/windows/skinframewnd.h"

namespace {

class CBuiltinSkinnerFactory : public ISkinnerFactory
{
public:
    CSkinWnd* CreateDialogSkinner() override { return new CSkinDialog(); }
    CSkinWnd* CreateFrameSkinner() override { return new CSkinFrameWnd(); }
    CSkinWnd* CreateControlSkinner(int type, CSkinWnd* parent) override
    {
        return CreateSkinControlSkinner(type, parent);
    }
};

} // namespace

ISkinnerFactory& GetBuiltinSkinnerFactory()
{
    static CBuiltinSkinnerFactory factory;
    return factory;
}
