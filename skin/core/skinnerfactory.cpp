// The skinners the toolkit makes for each window kind: the dialog skinner
// for dialogs, the frame skinner for frame windows. Controls have no
// skinner of their own in this library yet; for them the factory answers
// "not skinned" and the controls keep the system's look.

#include "skin/core/skinmanager.h"
#include "skin/windows/skindialog.h"
#include "skin/windows/skinframewnd.h"

namespace {

class CBuiltinSkinnerFactory : public ISkinnerFactory
{
public:
    CSkinWnd* CreateDialogSkinner() override { return new CSkinDialog(); }
    CSkinWnd* CreateFrameSkinner() override { return new CSkinFrameWnd(); }
    CSkinWnd* CreateControlSkinner(int, CSkinWnd*) override { return NULL; }
};

} // namespace

ISkinnerFactory& GetBuiltinSkinnerFactory()
{
    static CBuiltinSkinnerFactory factory;
    return factory;
}
