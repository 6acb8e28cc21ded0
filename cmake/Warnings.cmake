# One interface target that carries the project's warning flags and, when
# asked for, the sanitizers. Every target of ours links it.
add_library(qcr_warnings INTERFACE)
target_compile_options(qcr_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow=local
  -Wcast-align -Wunused -Wimplicit-fallthrough
  $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor -Woverloaded-virtual>)
if(QCR_WERROR)
  target_compile_options(qcr_warnings INTERFACE -Werror)
endif()
if(QCR_SANITIZE)
  set(_qcr_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(qcr_warnings INTERFACE ${_qcr_san})
  target_link_options(qcr_warnings INTERFACE ${_qcr_san})
endif()
if(QCR_SANITIZE_THREAD)
  set(_qcr_tsan -fsanitize=thread -fno-omit-frame-pointer)
  target_compile_options(qcr_warnings INTERFACE ${_qcr_tsan})
  target_link_options(qcr_warnings INTERFACE ${_qcr_tsan})
endif()
