#include "zipcore/TestHooks.h"

#ifdef ZIPCORE_TEST_HOOKS

namespace zipcore::testhooks {

std::function<void(const std::string& temporary)> beforeVerify;
std::function<bool()> betweenRenames;
std::function<void(const std::string& path)> beforeCreate;

}  // namespace zipcore::testhooks

#endif
