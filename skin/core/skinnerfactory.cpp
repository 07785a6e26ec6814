// The skinners the toolkit makes for each window kind. None is built into
// this library yet: every window is answered "not skinned" from here, and the
// manager, hooks and interface behave as for a window no skinner accepts.

#include "skin/core/skinmanager.h"

namespace {

class CBuiltinSkinnerFactory : public ISkinnerFactory
{
public:
    CSkinWnd* CreateDialogSkinner() override { return NULL; }
    CSkinWnd* CreateFrameSkinner() override { return NULL; }
    CSkinWnd* CreateControlSkinner(int, CSkinWnd*) override { return NULL; }
};

} // namespace

ISkinnerFactory& GetBuiltinSkinnerFactory()
{
    static CBuiltinSkinnerFactory factory;
    return factory;
}
