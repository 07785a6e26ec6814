#include "reg/tcpipdomaindetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

void CTcpipDomainDetector::Detect()
{
    const char kInterfaces[] = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
    for (const CRegValueRecord& face : CScanHelper::RegEnumSubkeys(HKEY_LOCAL_MACHINE, kInterfaces))
    {
        for (const char* name : {"Domain", "DomainName", "SearchList", "NameServer"})
        {
            const std::string value = CScanHelper::RegReadString(HKEY_LOCAL_MACHINE, face.m_keyPath, name);
            if (value.empty())
                continue;
            // Every record names the key that holds its value.
            CXmlRecord record("o17");
            record.AddField("path", face.GetFullKeyPath());
            record.AddField("key", name);
            record.AddField("value", value);
            Add(record);
        }
    }
}
