// The skinners the toolkit makes for each window kind: the dialog skinner
// for dialogs and the control skinners for controls. Frame windows have no
// skinner of their own in this library yet; for those the factory answers
// "not skinned" and the windows keep the system's look.

#include "skin/controls/skincontrolfactory.h"
#include "skin/core/skinmanager.h"
#include "skin/windows/skindialog.h"

namespace {

class CBuiltinSkinnerFactory : public ISkinnerFactory
{
public:
    CSkinWnd* CreateDialogSkinner() override { return new CSkinDialog(); }
    CSkinWnd* CreateFrameSkinner() override { return NULL; }
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
