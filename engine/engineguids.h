/* Every GUID of the engine's type library and interfaces, in one place.
   Read by the IDL compiler (mothtrap.idl); C++ code uses the IID_, CLSID_ and
   LIBID_ constants that the compiler generates from them. */
#ifndef ENGINE_ENGINEGUIDS_H
#define ENGINE_ENGINEGUIDS_H

#define GUID_LIBID_Mothtrap                 C2B71950-B6D0-45D0-A129-7D48A40292B3

#define GUID_IID_ISearchItem                646591B7-19EB-4C23-9271-A6524567D352
#define GUID_CLSID_SearchItem               6A7BD2C6-1849-4199-9FBE-BD3AFAF5847D

#define GUID_IID_IThreat                    C5411429-FC81-4BE5-B9A5-A2BB451F0892
#define GUID_IID_IThreatEvents              F858C85C-350D-4CC7-BF20-B9151943C81D
#define GUID_CLSID_Threat                   269B99A0-4503-4C48-97EA-70253E1EC74F

#define GUID_IID_IThreatCollection          EF2CC6E5-2B1C-4513-8F65-65A7FED9B21D
#define GUID_IID_IThreatCollectionEvents    0D3B50B8-F2BE-4B30-A3D4-B7C01A4659CE
#define GUID_CLSID_ThreatCollection         EF06D90B-68B7-4BB8-8636-783E0A60D2A5

#define GUID_IID_IPaths                     693BB2A9-AADE-4EBB-95D8-D54C2A2A7873
#define GUID_CLSID_Paths                    D1675746-65D3-49E5-95A9-D1588B91282D

#define GUID_IID_IBackup                    A67B74A1-1E6A-4A5F-A9BE-9558BA002485
#define GUID_CLSID_Backup                   574724FC-CA14-45CA-B18B-9B19F6EFAF45

#define GUID_IID_IIgnoreList                E5AACE5E-D802-44B0-AC04-02996EC32E04
#define GUID_CLSID_IgnoreList               660CA0B3-F4BE-485B-BC79-541B6D72BDED

#define GUID_IID_ILog                       1C39730E-5B31-4C5E-803F-6B192DBDA4C8
#define GUID_IID_ILogEvents                 27DC3300-8283-47F4-A4DA-2DE6A1514BE2
#define GUID_CLSID_Log                      37E97F4B-2BA5-4140-A6BD-6A04FB411B83
#define GUID_IID_ILogRecord                 28F4781E-E2E4-4D9A-A05C-58A02904768F
#define GUID_CLSID_LogRecord                9C595EFD-7441-4D53-9F96-060DA91E0C00

#define GUID_IID_IRunAs                     409DA385-DCC0-4C77-A395-816EA7DB849C
#define GUID_CLSID_RunAs                    0B791840-3F2A-4C62-A0CC-1F1E58D0C588

#define GUID_IID_IScanner                   D0BDBBFF-75D3-4EDF-8631-CE1612DC8ECA
#define GUID_IID_IScannerEvents             0FE83B4C-C8B0-477C-AD7D-5B691187D3AA
#define GUID_CLSID_Scanner                  C986D3E4-E4B7-4765-B342-552FD36FC2C6

#define GUID_IID_IQuarantine                2A8DD687-29E3-40AD-9D7A-27B353A36AD7
#define GUID_IID_IQuarantineEvents          D4FECBC6-F943-4170-AF82-78E22811B883
#define GUID_CLSID_Quarantine               81DF047D-AB9C-40A1-98BD-E492B858580C

#endif
