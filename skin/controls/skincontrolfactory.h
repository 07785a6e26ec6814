#pragma once
// The control skinner of each control kind (SkinObjectType); NULL for the
// kinds that have none and keep the system's look.

class CSkinWnd;

CSkinWnd* CreateSkinControlSkinner(int type, CSkinWnd* parent);
