#pragma once
// One node of a dispatcher list: a listener and the handler to call on it.
// The variants differ only in the arguments that Invoke passes on.

#include "app/engineeventhandler.h"

class CEngineEventDelegate
{
public:
    explicit CEngineEventDelegate(CEngineEventHandler* listener) : m_pNext(NULL), m_pListener(listener) {}
    virtual ~CEngineEventDelegate() {}

    BOOL IsListener(const CEngineEventHandler* listener) const { return m_pListener == listener; }
    // A node taken out while its list is being fired stays linked, without
    // listener, until the firing ends.
    bool IsRemoved() const { return m_pListener == NULL; }

    CEngineEventDelegate* m_pNext;
    CEngineEventHandler* m_pListener;

private:
    CEngineEventDelegate(const CEngineEventDelegate&) = delete;
    CEngineEventDelegate& operator=(const CEngineEventDelegate&) = delete;
};

template <class... Args>
class CEngineEventDelegateT : public CEngineEventDelegate
{
public:
    typedef void (CEngineEventHandler::*Handler)(Args...);

    CEngineEventDelegateT(CEngineEventHandler* listener, Handler handler)
        : CEngineEventDelegate(listener), m_handler(handler)
    {
    }

    // Calls the listener's own override of the handler.
    virtual void Invoke(Args... args)
    {
        if (m_pListener)
            (m_pListener->*m_handler)(args...);
    }

    virtual BOOL IsSame(const CEngineEventHandler* listener, Handler handler) const
    {
        return m_pListener == listener && m_handler == handler;
    }

    Handler m_handler;
};

template <class A>
using CEngineEventDelegate1 = CEngineEventDelegateT<A>;
template <class A, class B>
using CEngineEventDelegate2 = CEngineEventDelegateT<A, B>;
template <class A, class B, class C>
using CEngineEventDelegate3 = CEngineEventDelegateT<A, B, C>;
