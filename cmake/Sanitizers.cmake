# The sanitizers instrument every target, third-party code we compile (none today) included.
if((ZANDREL_ASAN AND ZANDREL_TSAN) OR (ZANDREL_FUZZ AND (ZANDREL_ASAN OR ZANDREL_TSAN)))
  message(FATAL_ERROR "ZANDREL_ASAN, ZANDREL_TSAN and ZANDREL_FUZZ cannot be combined")
endif()
if(ZANDREL_ASAN)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  add_compile_definitions(ZANDREL_CHECK_THREADS)  # UI-thread entry points check their thread
endif()
if(ZANDREL_FUZZ)
  # Coverage for libFuzzer in every library the targets link, with the usual sanitizers.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(ZANDREL_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
  add_compile_definitions(ZANDREL_CHECK_THREADS)
endif()
