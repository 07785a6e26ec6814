#include "pages/siteaddresses.h"

#include "app/appconstants.h"
#include "app/vostelupdatemanager.h"
#include "foundation/syshelpers.h"

CString GetWebSite()
{
    return GetEnvironmentOr("CLEANWARDEN_WEB_SITE", "http://www.telmin.com");
}

CString GetNewsAddress()
{
    return GetWebSite() + "/lastnews.php?v=" CW_PRODUCT_VERSION;
}

CString GetSupportForumAddress()
{
    return GetWebSite() + "/forum/";
}

CString GetProductAddress()
{
    return GetWebSite() + "/cleanwarden/";
}

CString GetCompanyAddress()
{
    return GetWebSite() + "/";
}

CString GetUpdateFolderAddress()
{
    return CVostelUpdateManager::UpdateFolderUrl();
}

CString GetInstallerAddress()
{
    return GetEnvironmentOr("CLEANWARDEN_INSTALLER_URL", CVostelUpdateManager::DefaultInstallerUrl);
}
