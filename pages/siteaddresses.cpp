#include "pages/siteaddresses.h"

#include <windows.h>

#include <vector>

#include "app/appconstants.h"
#include "app/vostelupdatemanager.h"

namespace {

CString FromEnvironment(const char* variable, const char* fallback)
{
    const DWORD size = ::GetEnvironmentVariableA(variable, nullptr, 0);
    if (size == 0)
        return fallback;
    std::vector<char> value(size);
    const DWORD n = ::GetEnvironmentVariableA(variable, value.data(), size);
    return n == 0 || n >= size ? CString(fallback) : CString(value.data());
}

} // namespace

CString GetWebSite()
{
    return FromEnvironment("CLEANWARDEN_WEB_SITE", "http://www.telmin.com");
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
    return FromEnvironment("CLEANWARDEN_UPDATE_URL", CVostelUpdateManager::DefaultUpdateUrl);
}

CString GetInstallerAddress()
{
    return FromEnvironment("CLEANWARDEN_INSTALLER_URL", CVostelUpdateManager::DefaultInstallerUrl);
}
