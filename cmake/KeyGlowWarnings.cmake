# Warnings as errors for our own code. Third-party sources built in this tree
# (pugixml and GoogleTest for the Windows cross build) clear these on their targets.
set(KEYGLOW_WARNINGS
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast
  -Werror)
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:${KEYGLOW_WARNINGS}>")

option(KEYGLOW_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KEYGLOW_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

option(KEYGLOW_TSAN "Build with ThreadSanitizer" OFF)
if(KEYGLOW_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
