#pragma once
// The maker's web addresses the pages open or fetch. Each has a built-in
// default that an environment variable replaces, so that a test (or a
// machine with its own update service) can point the program elsewhere:
//   CLEANWARDEN_WEB_SITE     the web site, without a closing slash (news,
//                            support forum, product page)
//   CLEANWARDEN_UPDATE_URL   the update folder, with its closing slash (the
//                            versions file and the signature database), read
//                            by CVostelUpdateManager::UpdateFolderUrl
//   CLEANWARDEN_INSTALLER_URL  the program installer

#include "platform/mfc/cstring.h"

CString GetWebSite();
// The site's news for this program version: "/lastnews.php?v=<version>".
CString GetNewsAddress();
CString GetSupportForumAddress();
CString GetProductAddress();
CString GetCompanyAddress();
CString GetUpdateFolderAddress();
CString GetInstallerAddress();
