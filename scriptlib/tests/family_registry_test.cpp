// The registry functions over the text-file store.
#include <gtest/gtest.h>

#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;

namespace {

// Points the store at a file of the temporary folder for one test.
struct TempRegistry {
    explicit TempRegistry(const TempFolder& folder) : host(16384) {
        setenv("QSL_REGISTRY", (folder.path / "registry.ini").c_str(), 1);
    }
    ScriptHost host;
};

TEST(RegistryFunctions, ValuesOfEveryTypeKeysAndEnumeration) {
    TempFolder folder;
    TempRegistry registry(folder);
    ScriptHost& host = registry.host;
    ASSERT_EQ(host.run("k = regcreatekey(@regcurrent, \"Software\\Test\")\n"
                       "regsetvalue(k, \"[Name]\", \" padded text \")\n"
                       "regsetvalue(k, \"\", \"default\")\n"
                       "regsetdword(k, \"Sub[Count]\", \"0x10\")\n"
                       "regsetbin(k, \"Sub[Bytes]\", \"00 7f FF\")\n"
                       "regsetmulsz(k, \"Sub[List]\", \"a|b|c\", \"|\")\n"
                       "regsetexpsz(k, \"Sub[Path]\", \"$HOME/bin\")\n"
                       "name = regqueryvalue(k, \"[name]\")\n"
                       "dflt = regqueryvalue(@regcurrent, \"software\\test\")\n"
                       "count = regquerydword(k, \"sub[count]\")\n"
                       "bytes = regquerybin(k, \"sub[Bytes]\")\n"
                       "list = regquerymulsz(k, \"Sub[List]\", \",\")\n"
                       "type = regentrytype(k, \"Sub[Path]\")\n"
                       "items = regqueryitem(k, \"Sub\")\n"
                       "keys = regquerykeys(k)\n"
                       "key0 = regquerykey(k, 0)\n"
                       "regclosekey(k)\n"),
              0);
    EXPECT_EQ(host.var("name"), " padded text ");
    EXPECT_EQ(host.var("dflt"), "default");
    EXPECT_EQ(host.var("count"), "16");
    EXPECT_EQ(host.var("bytes"), "00 7f ff");
    EXPECT_EQ(host.var("list"), "a,b,c");
    EXPECT_EQ(host.var("type"), "2");
    EXPECT_EQ(host.var("items"), "Count\tBytes\tList\tPath");
    EXPECT_EQ(host.var("keys"), "1");
    EXPECT_EQ(host.var("key0"), "Sub");
    std::string store = folder.read("registry.ini");
    EXPECT_NE(store.find("[HKEY_CURRENT_USER\\Software\\Test]\nName=sz:\\spadded\\stext\\s\n=default\n"), std::string::npos)
        << store;
    EXPECT_NE(store.find("Count=dword:16\nBytes=hex:00 7f ff\nList=multi:a\\0b\\0c\n"), std::string::npos) << store;
}

TEST(RegistryFunctions, DeletionAndErrors) {
    TempFolder folder;
    TempRegistry registry(folder);
    ScriptHost& host = registry.host;
    ASSERT_EQ(host.run("regsetvalue(@regmachine, \"A\\B\\C[v]\", \"1\")\n"
                       "regsetvalue(@regmachine, \"A[w]\", \"2\")\n"
                       "before = regexistkey(@regmachine, \"a\\b\")\n"
                       "regdelvalue(@regmachine, \"A[w]\")\n"
                       "w = regexistvalue(@regmachine, \"A[w]\")\n"
                       "regdeletekey(@regmachine, \"A\")\n"
                       "after = regexistkey(@regmachine, \"A\\B\\C\")\n"
                       "errormode(@off)\n"
                       "k = regopenkey(@regmachine, \"A\")\n"
                       "missing = lasterror()\n"
                       "regquerydword(@regmachine, \"X\")\n"
                       "nodword = lasterror()\n"
                       "regsetvalue(@regmachine, \"X[t]\", \"text\")\n"
                       "regquerydword(@regmachine, \"X[t]\")\n"
                       "wrongtype = lasterror()\n"
                       "regclosekey(12345)\n"
                       "badclose = lasterror()\n"
                       "regqueryvalue(777, \"X\")\n"
                       "badhandle = lasterror()\n"),
              0);
    EXPECT_EQ(host.var("before"), "1");
    EXPECT_EQ(host.var("w"), "0");
    EXPECT_EQ(host.var("after"), "0");
    EXPECT_EQ(host.var("missing"), "1158");
    EXPECT_EQ(host.var("nodword"), "1456");
    EXPECT_EQ(host.var("wrongtype"), "1460");
    EXPECT_EQ(host.var("badclose"), "1231");
    EXPECT_EQ(host.var("badhandle"), "1402");
}

TEST(RegistryFunctions, LibrarySettingsLiveInTheSameStore) {
    TempFolder folder;
    ScriptHost host(16384);  // phase 3 records its usage tag in the host's store
    ASSERT_EQ(host.run("u = regqueryvalue(@regmachine, \"Software\\Kestrelsoft\\Settings\\KVXBATCH\\DllUsage[tests]\")\n"),
              0);
    EXPECT_EQ(host.var("u"), "tests");
}

}  // namespace
