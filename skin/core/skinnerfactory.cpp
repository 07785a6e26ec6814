// The skinners the toolkit makes for each window kind: the dialog skinner
// for dialogs. Frame windows and controls have no skinner of their own in
// this library yet; for those kinds the factory answers "not skinned" and
// the windows keep the system's look.

#include "skin/core/skinmanager.h"
#include "skin/windows/skindialog.h"

namespace {

class CBuiltinSkinnerFactory : public ISkinnerFactory
{
public:
    CSkinWnd* CreateDialogSkinner() override { return new CSkinDialog(); }
    CSkinWnd* CreateFrameSkinner() override { return NULL; }
    CSkinWnd* CreateControlSkinner(int, CSkinWnd*) override { return NULL; }
};

} // namespace

ISkinnerFactory& GetBuiltinSkinnerFactory()
{
    static CBuiltinSkinnerFactory factory;
    return factory;
}
