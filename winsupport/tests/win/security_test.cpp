// Shared kernel objects are open to everybody and inheritable.
#include <gtest/gtest.h>
#include <windows.h>

#include <aclapi.h>

#include "win32_owners.h"
#include "win32_security.h"

namespace zrb::win {
namespace {

TEST(OpenSecurity, MutexesHaveAPresentNullDaclAndAreInheritable) {
  UniqueHandle mutex(createOpenMutex("zrb-winsupport-test/mutex"));
  ASSERT_TRUE(mutex);
  DWORD flags = 0;
  ASSERT_TRUE(GetHandleInformation(mutex.get(), &flags));
  EXPECT_TRUE(flags & HANDLE_FLAG_INHERIT);
  PACL dacl = reinterpret_cast<PACL>(1);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(GetSecurityInfo(mutex.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(dacl, nullptr);
  LocalFree(descriptor);
  // A second create opens the same object.
  UniqueHandle again(createOpenMutex("zrb-winsupport-test/mutex"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST(OpenSecurity, AttributesStayValidForTheObjectsLifetime) {
  OpenSecurity security;
  ASSERT_TRUE(security.valid());
  SECURITY_ATTRIBUTES* attributes = security.attributes();
  ASSERT_NE(attributes, nullptr);
  EXPECT_TRUE(attributes->bInheritHandle);
  BOOL present = FALSE, defaulted = TRUE;
  PACL dacl = reinterpret_cast<PACL>(1);
  ASSERT_TRUE(GetSecurityDescriptorDacl(attributes->lpSecurityDescriptor, &present, &dacl, &defaulted));
  EXPECT_TRUE(present);
  EXPECT_EQ(dacl, nullptr);
  UniqueHandle event(CreateEventA(attributes, TRUE, FALSE, nullptr));
  EXPECT_TRUE(event);
}

}  // namespace
}  // namespace zrb::win
