#pragma once
// Root of the framework's class tree with run-time class information: each
// class that declares itself dynamic has one CRuntimeClass naming it and its
// base, so code can ask whether an object is of a class or derives from it.

#include <windows.h>

class CObject;

struct CRuntimeClass
{
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    const CRuntimeClass* m_pBaseClass;

    // TRUE when this class is base or derives from it.
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject
{
public:
    virtual ~CObject() = default;
    virtual CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* runtimeClass) const;

    static CRuntimeClass classCObject;
    static CRuntimeClass* GetThisClass() { return &classCObject; }

protected:
    CObject() = default;

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name) \
public: \
    static CRuntimeClass class##class_name; \
    static CRuntimeClass* GetThisClass() { return &class##class_name; } \
    CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    CRuntimeClass class_name::class##class_name = {#class_name, (int)sizeof(class_name), \
                                                   RUNTIME_CLASS(base_class_name)}; \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

// The object as the class asked for, or NULL when it is not of that class.
template <class T, class U>
T* AfxDynamicDowncast(U* object)
{
    return object != nullptr && object->IsKindOf(T::GetThisClass()) ? static_cast<T*>(object) : nullptr;
}
#define DYNAMIC_DOWNCAST(class_name, object) AfxDynamicDowncast<class_name>(object)
