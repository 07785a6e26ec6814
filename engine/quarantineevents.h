#pragma once
// The Quarantine's outgoing IQuarantineEvents. Entry events are raised on the
// owner's thread to the advised sinks; progress and exception events come
// from the action's worker, which calls proxies of the sinks marshalled for
// it, so every sink is still called on its own thread.

#include <vector>

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"
#include "platform/atl/atlcom.h"

template <class T>
class CProxyIQuarantineEvents : public IConnectionPointImpl<T, &IID_IQuarantineEvents>
{
public:
    HRESULT Fire_OnItemAdded(IQuarantine* source, IBackup* entry)
    {
        return FireToSinks<IQuarantineEvents>(this->Sinks(), [&](IQuarantineEvents* sink) {
            return sink->OnItemAdded(source, entry);
        });
    }
    HRESULT Fire_OnItemRemoved(IQuarantine* source, IBackup* entry)
    {
        return FireToSinks<IQuarantineEvents>(this->Sinks(), [&](IQuarantineEvents* sink) {
            return sink->OnItemRemoved(source, entry);
        });
    }

    // Owner's thread: one stream per advised sink, in advise order.
    HRESULT MarshalSinks()
    {
        ReleaseSinkStreams();
        CComDynamicUnkArray& sinks = this->Sinks();
        for (int i = 0; i < sinks.GetSize(); ++i)
        {
            IUnknown* sink = sinks.GetAt(i);
            if (!sink)
                continue;
            IStream* stream = nullptr;
            HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID_IQuarantineEvents, sink, &stream);
            if (FAILED(hr))
            {
                ReleaseSinkStreams();
                return hr;
            }
            m_sinkStreams.push_back(stream);
        }
        return S_OK;
    }

    // Drops streams that no worker took over.
    void ReleaseSinkStreams()
    {
        for (IStream* stream : m_sinkStreams)
            ReleaseMarshalledStream(stream);
        m_sinkStreams.clear();
    }

    // Worker: takes the streams over; a sink that cannot be unmarshalled is
    // left out.
    void UnmarshalSinks()
    {
        std::vector<IStream*> streams;
        streams.swap(m_sinkStreams);
        for (IStream* stream : streams)
        {
            IQuarantineEvents* sink = nullptr;
            if (SUCCEEDED(CoGetInterfaceAndReleaseStream(stream, IID_IQuarantineEvents,
                                                         reinterpret_cast<void**>(&sink))) && sink)
                m_workerSinks.push_back(sink);
        }
    }

    // Worker: before it leaves COM.
    void ReleaseWorkerSinks()
    {
        std::vector<IQuarantineEvents*> sinks;
        sinks.swap(m_workerSinks);
        for (IQuarantineEvents* sink : sinks)
            sink->Release();
    }

    HRESULT Fire_OnQuarantineProgress(int current, int total)
    {
        HRESULT hr = S_OK;
        for (IQuarantineEvents* sink : m_workerSinks)
            hr = sink->OnQuarantineProgress(current, total);
        return hr;
    }
    HRESULT Fire_OnQuaException(ULONG_PTR exceptionPointers)
    {
        HRESULT hr = S_OK;
        for (IQuarantineEvents* sink : m_workerSinks)
            hr = sink->OnQuaException(exceptionPointers);
        return hr;
    }

    // Releases the marshalled reference a stream holds, then the stream.
    static void ReleaseMarshalledStream(IStream* stream)
    {
        if (!stream)
            return;
        LARGE_INTEGER zero = {};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        CoReleaseMarshalData(stream);
        stream->Release();
    }

private:
    std::vector<IStream*> m_sinkStreams;
    std::vector<IQuarantineEvents*> m_workerSinks;
};
