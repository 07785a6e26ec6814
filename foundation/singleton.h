#pragma once
// One object of T per process, created by the first T::Instance and deleted
// by T::DeleteInstance. No lock: instances are made and removed on the main
// thread before and after any worker thread uses them.

template <class T>
class CSingleton
{
public:
    virtual ~CSingleton() {}

    static T* Instance()
    {
        if (s_pInstance == nullptr)
            s_pInstance = new T();
        return s_pInstance;
    }

    static void DeleteInstance()
    {
        if (s_pInstance != nullptr)
        {
            CSingleton<T>* base = s_pInstance;
            s_pInstance = nullptr;
            delete base;
        }
    }

private:
    static inline T* s_pInstance = nullptr;
};
