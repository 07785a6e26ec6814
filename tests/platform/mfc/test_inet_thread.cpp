#include "platform/mfc/event.h"
#include "platform/mfc/file.h"
#include "platform/mfc/inet.h"
#include "platform/mfc/winthread.h"

#include "tests/foundation/http_test_server.h"
#include "tests/foundation/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string MessageOf(CException* e)
{
    char buf[512] = {};
    e->GetErrorMessage(buf, sizeof(buf));
    return buf;
}

}  // namespace

TEST(CEvent, AutoAndManualResetAndTimeouts)
{
    CEvent autoReset;
    ASSERT_NE(nullptr, autoReset.m_hObject);
    EXPECT_EQ(autoReset.m_hObject, static_cast<HANDLE>(autoReset));
    EXPECT_FALSE(autoReset.Lock(0));
    EXPECT_TRUE(autoReset.SetEvent());
    EXPECT_TRUE(autoReset.Lock(0));
    EXPECT_FALSE(autoReset.Lock(0));  // the wait consumed the signal
    autoReset.SetEvent();
    EXPECT_TRUE(autoReset.ResetEvent());
    EXPECT_FALSE(autoReset.Lock(0));

    CEvent manual(TRUE, TRUE);
    EXPECT_TRUE(manual.Lock(0));
    EXPECT_TRUE(manual.Lock(0));  // stays signalled
    manual.ResetEvent();
    EXPECT_FALSE(manual.Lock(0));
    EXPECT_TRUE(manual.PulseEvent());
    EXPECT_FALSE(manual.Lock(0));  // a pulse with no waiter leaves it reset
    EXPECT_TRUE(manual.Unlock());

    DWORD begin = GetTickCount();
    EXPECT_FALSE(autoReset.Lock(100));
    EXPECT_GE(GetTickCount() - begin, 80u);

    char name[64];
    wsprintfA(name, "cwtest-event-%lu", GetCurrentProcessId());
    CEvent named(FALSE, TRUE, name);
    HANDLE other = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    ASSERT_NE(nullptr, other);
    SetEvent(other);
    CloseHandle(other);
    EXPECT_TRUE(named.Lock(0));
}

namespace {

struct ThreadProbe
{
    LONG runs = 0;
    DWORD threadId = 0;
    CEvent go{FALSE, TRUE};
};

UINT __cdecl CountRun(LPVOID param)
{
    ThreadProbe* p = static_cast<ThreadProbe*>(param);
    p->threadId = GetCurrentThreadId();
    InterlockedIncrement(&p->runs);
    return 42;
}

UINT __cdecl WaitForGo(LPVOID param)
{
    static_cast<ThreadProbe*>(param)->go.Lock();
    return 7;
}

// Notes its own deletion so the auto-delete contract can be seen.
class DeletionProbe : public CWinThread
{
public:
    DeletionProbe(AFX_THREADPROC proc, LPVOID param, CEvent* deleted) : CWinThread(proc, param), m_deleted(deleted) {}
    ~DeletionProbe() override { m_deleted->SetEvent(); }

private:
    CEvent* m_deleted;
};

}  // namespace

TEST(CWinThread, SuspendedOwnedThreadAndAutoDelete)
{
    ThreadProbe probe;
    CWinThread* t = AfxBeginThread(CountRun, &probe, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, t);
    ASSERT_NE(nullptr, t->m_hThread);
    EXPECT_NE(0u, t->m_nThreadID);
    EXPECT_TRUE(t->m_bAutoDelete);
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, t->GetThreadPriority());
    t->m_bAutoDelete = FALSE;
    Sleep(50);
    EXPECT_EQ(0, probe.runs);  // suspended until resumed
    EXPECT_EQ(1u, t->ResumeThread());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(*t, 5000));
    EXPECT_EQ(1, probe.runs);
    EXPECT_EQ(t->m_nThreadID, probe.threadId);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(t->m_hThread, &code));
    EXPECT_EQ(42u, code);
    delete t;

    // Suspend counts pass through.
    ThreadProbe waiting;
    CWinThread* w = AfxBeginThread(WaitForGo, &waiting, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, w);
    w->m_bAutoDelete = FALSE;
    EXPECT_EQ(1u, w->SuspendThread());
    EXPECT_EQ(2u, w->ResumeThread());
    EXPECT_EQ(1u, w->ResumeThread());
    waiting.go.SetEvent();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(*w, 5000));
    delete w;

    // An auto-delete thread object frees itself when its function returns.
    CEvent deleted(FALSE, TRUE);
    ThreadProbe counted;
    DeletionProbe* d = new DeletionProbe(CountRun, &counted, &deleted);
    ASSERT_TRUE(d->CreateThread());
    EXPECT_TRUE(deleted.Lock(5000));
    EXPECT_EQ(1, counted.runs);

    // Without CREATE_SUSPENDED the thread runs at once.
    ThreadProbe quick;
    ASSERT_NE(nullptr, AfxBeginThread(CountRun, &quick));
    for (int i = 0; i < 500 && quick.runs == 0; ++i)
        Sleep(10);
    EXPECT_EQ(1, quick.runs);
}

TEST(CFile, WriteReadAndErrors)
{
    TempFolder dir;
    const std::string path = dir.File("data.bin");
    const BYTE bytes[] = {0, 1, 0x0D, 0x0A, 0x1A, 0xFF};
    {
        CFile f;
        ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
        f.Write(bytes, sizeof(bytes));
        f.Write(bytes, 0);
        EXPECT_EQ(sizeof(bytes), f.GetLength());
        EXPECT_STREQ(path.c_str(), f.GetFilePath());
        f.Close();
        EXPECT_EQ(CFile::hFileNull, f.m_hFile);
        f.Close();  // closing twice is harmless
    }
    EXPECT_EQ(std::vector<BYTE>(bytes, bytes + sizeof(bytes)), TempFolder::Read(path));
    {
        CFile f(path.c_str(), CFile::modeRead | CFile::typeBinary);
        BYTE back[16] = {};
        EXPECT_EQ(sizeof(bytes), f.Read(back, sizeof(back)));
        EXPECT_EQ(0, memcmp(back, bytes, sizeof(bytes)));
        EXPECT_EQ(0u, f.Read(back, sizeof(back)));
    }
    {
        // Without modeNoTruncate an existing file is emptied.
        CFile keep(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        EXPECT_EQ(sizeof(bytes), keep.GetLength());
        keep.Close();
        CFile empty(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(0u, empty.GetLength());
    }

    const std::string missing = dir.File("missing.bin");
    CFileException error;
    CFile f;
    EXPECT_FALSE(f.Open(missing.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error.m_lOsError);
    EXPECT_STREQ(missing.c_str(), error.m_strFileName);
    EXPECT_EQ(missing + " was not found.", MessageOf(&error));

    const std::string badPath = dir.File("no-folder\\x.bin");
    try
    {
        CFile g(badPath.c_str(), CFile::modeCreate | CFile::modeWrite);
        ADD_FAILURE() << "no exception";
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(CFileException::badPath, e->m_cause);
        EXPECT_EQ(ERROR_PATH_NOT_FOUND, e->m_lOsError);
        EXPECT_EQ(badPath + " contains an invalid path.", MessageOf(e));
        e->Delete();
    }

    // Writing through a read-only handle is refused with an exception.
    CFile readOnly(path.c_str(), CFile::modeRead);
    try
    {
        readOnly.Write(bytes, sizeof(bytes));
        ADD_FAILURE() << "no exception";
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(CFileException::accessDenied, e->m_cause);
        EXPECT_EQ("Access to " + path + " was denied.", MessageOf(e));
        e->Delete();
    }

    CFileException unnamedMissing(CFileException::fileNotFound);
    EXPECT_EQ("An unnamed file was not found.", MessageOf(&unnamedMissing));
    CFileException unnamedDenied(CFileException::accessDenied);
    EXPECT_EQ("Access to an unnamed file was denied.", MessageOf(&unnamedDenied));
    EXPECT_EQ(CFileException::sharingViolation, CFileException::OsErrorToException(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(CFileException::diskFull, CFileException::OsErrorToException(ERROR_DISK_FULL));
    EXPECT_EQ(CFileException::genericException, CFileException::OsErrorToException(12345));
    char small[8];
    EXPECT_TRUE(unnamedDenied.GetErrorMessage(small, sizeof(small)));
    EXPECT_STREQ("Access ", small);  // cut to the buffer
}

TEST(AfxParseURL, SplitsServiceServerObjectAndPort)
{
    DWORD service = 0;
    CString server, object;
    INTERNET_PORT port = 0;
    ASSERT_TRUE(AfxParseURL("http://127.0.0.1:8080/dir/tcw.php?a=1&b=2", service, server, object, port));
    EXPECT_EQ(static_cast<DWORD>(AFX_INET_SERVICE_HTTP), service);
    EXPECT_STREQ("127.0.0.1", server);
    EXPECT_STREQ("/dir/tcw.php?a=1&b=2", object);
    EXPECT_EQ(8080, port);

    ASSERT_TRUE(AfxParseURL("http://update.example.com/liveupdate/definitions.bin", service, server, object, port));
    EXPECT_STREQ("update.example.com", server);
    EXPECT_STREQ("/liveupdate/definitions.bin", object);
    EXPECT_EQ(INTERNET_DEFAULT_HTTP_PORT, port);

    ASSERT_TRUE(AfxParseURL("https://example.com/x", service, server, object, port));
    EXPECT_EQ(static_cast<DWORD>(AFX_INET_SERVICE_HTTPS), service);
    EXPECT_EQ(INTERNET_DEFAULT_HTTPS_PORT, port);

    ASSERT_TRUE(AfxParseURL("ftp://example.com/pub", service, server, object, port));
    EXPECT_EQ(static_cast<DWORD>(AFX_INET_SERVICE_FTP), service);

    EXPECT_FALSE(AfxParseURL("not a url", service, server, object, port));
    EXPECT_EQ(static_cast<DWORD>(AFX_INET_SERVICE_UNK), service);
    EXPECT_FALSE(AfxParseURL("", service, server, object, port));
    EXPECT_FALSE(AfxParseURL(NULL, service, server, object, port));
    EXPECT_EQ(static_cast<DWORD>(AFX_INET_SERVICE_UNK), service);
}

TEST(CInternetException, MessagesFromWinInet)
{
    CInternetException cannotConnect(ERROR_INTERNET_CANNOT_CONNECT);
    std::string text = MessageOf(&cannotConnect);
    EXPECT_FALSE(text.empty());
    char small[5];
    EXPECT_TRUE(cannotConnect.GetErrorMessage(small, sizeof(small)));
    EXPECT_EQ(text.substr(0, 4), small);

    CInternetException unknown(0x7FFFFFF0);
    char buf[64] = "x";
    EXPECT_FALSE(unknown.GetErrorMessage(buf, sizeof(buf)));
    EXPECT_STREQ("", buf);

    try
    {
        AfxThrowInternetException(9, ERROR_INTERNET_TIMEOUT);
    }
    catch (CInternetException* e)
    {
        EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_TIMEOUT), e->m_dwError);
        EXPECT_EQ(9u, e->m_dwContext);
        e->Delete();
    }
}

TEST(CHttpFile, RequestsAgainstLocalServer)
{
    HttpTestServer server;
    CInternetSession session("InetTest");
    EXPECT_EQ(1u, session.GetContext());

    CHttpConnection* connection = session.GetHttpConnection("127.0.0.1", static_cast<INTERNET_PORT>(server.Port()));
    ASSERT_NE(nullptr, connection);
    CHttpFile* get = connection->OpenRequest(CHttpConnection::HTTP_VERB_GET, "/ok?q=1");
    EXPECT_STREQ("GET", get->GetVerb());
    EXPECT_TRUE(get->AddRequestHeaders("X-One: 1\r\n"));
    EXPECT_TRUE(get->SendRequest());
    DWORD status = 0, length = 0;
    EXPECT_TRUE(get->QueryInfoStatusCode(status));
    EXPECT_EQ(200u, status);
    EXPECT_TRUE(get->QueryInfo(HTTP_QUERY_CONTENT_LENGTH, length));
    EXPECT_EQ(30000u, length);
    CString type;
    EXPECT_TRUE(get->QueryInfo(HTTP_QUERY_CONTENT_TYPE, type));
    EXPECT_STREQ("application/octet-stream", type);
    EXPECT_FALSE(get->QueryInfo(HTTP_QUERY_CONTENT_LANGUAGE, type));

    std::string body;
    char buf[7000];
    UINT n;
    while ((n = get->Read(buf, sizeof(buf))) > 0)
        body.append(buf, n);
    EXPECT_EQ(HttpTestServer::OkBody(), body);
    get->Close();
    delete get;

    CHttpFile* post = connection->OpenRequest("POST", "/form", NULL, 1, NULL, NULL, 0);
    char payload[] = "a=1&b=%26";
    EXPECT_TRUE(post->SendRequest(CString("Content-Type: text/plain\r\n"), payload, 9));
    EXPECT_TRUE(post->QueryInfoStatusCode(status));
    EXPECT_EQ(200u, status);
    delete post;

    CHttpFile* missing = connection->OpenRequest(CHttpConnection::HTTP_VERB_GET, "/missing");
    missing->SendRequest();
    EXPECT_TRUE(missing->QueryInfoStatusCode(status));
    EXPECT_EQ(404u, status);
    delete missing;
    connection->Close();
    delete connection;

    std::vector<HttpTestServer::Request> requests = server.Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ("GET /ok?q=1 HTTP/1.1", requests[0].Line());
    EXPECT_TRUE(requests[0].HasHeader("X-One: 1"));
    EXPECT_TRUE(requests[0].HasHeader("User-Agent: InetTest"));
    EXPECT_EQ("POST /form HTTP/1.1", requests[1].Line());
    EXPECT_TRUE(requests[1].HasHeader("Content-Type: text/plain"));
    EXPECT_EQ("a=1&b=%26", requests[1].body);

    // Nothing listens: sending fails with WinInet's error as an exception.
    CHttpConnection refused(&session, "127.0.0.1", static_cast<INTERNET_PORT>(HttpTestServer::ClosedPort()));
    CHttpFile* r = refused.OpenRequest(CHttpConnection::HTTP_VERB_GET, "/");
    try
    {
        r->SendRequest();
        ADD_FAILURE() << "no exception";
    }
    catch (CInternetException* e)
    {
        EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT), e->m_dwError);
        e->Delete();
    }
    delete r;
    session.Close();
}

TEST(FileStatus, ExistingFilesAndFolders)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(folder, status));
    EXPECT_TRUE(status.m_attribute & FILE_ATTRIBUTE_DIRECTORY);

    char path[MAX_PATH];
    GetTempFileNameA(folder, "cfs", 0, path);
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        file.Write("12345", 5);
    }
    ASSERT_TRUE(CFile::GetStatus(path, status));
    EXPECT_EQ(5u, status.m_size);
    EXPECT_FALSE(status.m_attribute & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(0, lstrcmpiA(path, status.m_szFullName));
    DeleteFileA(path);
    EXPECT_FALSE(CFile::GetStatus(path, status));
    EXPECT_FALSE(CFile::GetStatus("", status));
    EXPECT_FALSE(CFile::GetStatus(NULL, status));
}
