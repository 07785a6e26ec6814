#pragma once
// Resource ids of the COM server's registry scripts (type "REGISTRY");
// shared by the resource script and the code.

#define IDR_APPID 103
#define IDR_CLEANWARDENAPPLICATION 105
