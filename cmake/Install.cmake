# Installation and the Debian package.
#
#   cmake --install <build> --prefix <p>    installs
#     <p>/bin/maskquill
#     <p>/share/applications/maskquill.desktop   (opens *.mqplan: application/x-maskquill-plan)
#     <p>/share/mime/packages/maskquill-plan.xml (shared-mime-info: that type and its glob)
#     <p>/share/metainfo/maskquill.metainfo.xml  (AppStream: what software centres list)
#     <p>/share/icons/hicolor/<n>x<n>/apps/maskquill.png, scalable/apps/maskquill.svg
#     <p>/share/maskquill/help/maskquill.html    (from ui/help, found as <exe>/../share/...)
#     <p>/share/man/man1/maskquill.1.gz
#     <p>/share/doc/maskquill/README.md, copyright, changelog.gz
#     <p>/bin/mqnet, <p>/share/man/man1/mqnet.1.gz    (also when the windows are not built)
#   cmake --build <build> --target package   makes maskquill_<version>_<arch>.deb
#
# The program finds its help document relative to its own folder, so bin/ and
# share/ are fixed names under the prefix.
if(TARGET mqnet)
  set(MQ_MQNET_MAN_PAGE ${PROJECT_BINARY_DIR}/share/man/man1/mqnet.1.gz)
  mq_gzip_file(${PROJECT_SOURCE_DIR}/packaging/mqnet.1 ${MQ_MQNET_MAN_PAGE})
  add_custom_target(mq_mqnet_man_page ALL DEPENDS ${MQ_MQNET_MAN_PAGE})
  install(TARGETS mqnet RUNTIME DESTINATION bin)
  install(FILES ${MQ_MQNET_MAN_PAGE} DESTINATION share/man/man1)
endif()
if(NOT TARGET maskquill)
  return()
endif()

add_subdirectory(${PROJECT_SOURCE_DIR}/packaging ${PROJECT_BINARY_DIR}/packaging)
add_dependencies(maskquill mq_icons mq_package_documents)

install(TARGETS maskquill RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/maskquill.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/maskquill-plan.xml DESTINATION share/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/maskquill.metainfo.xml DESTINATION share/metainfo)
foreach(n ${MQ_ICON_SIZES})
  install(FILES ${PROJECT_BINARY_DIR}/share/icons/hicolor/${n}x${n}/apps/maskquill.png
    DESTINATION share/icons/hicolor/${n}x${n}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/maskquill.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${MQ_MAN_PAGE} DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright ${MQ_CHANGELOG}
  DESTINATION share/doc/maskquill)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME maskquill)
set(CPACK_PACKAGE_VENDOR "Maskquill")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "IPv4 and IPv6 subnetting workbench for network administrators")
set(CPACK_PACKAGE_DESCRIPTION
  "Maskquill works out IPv4 subnetting on the desktop. Type a host address
and it names the class, shows the address and mask in binary with network,
subnet and host bits in colour, offers every subnet mask of the class, and
gives the network, subnet and host address, the usable range, the broadcast
address and the wasted addresses. It also carries a class C VLSM assistant,
a binary/decimal/hexadecimal converter, a MAC bit-order converter and
reference lists of MAC vendor codes, port numbers and multicast addresses.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Maskquill developers <maintainers@maskquill.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library dependencies come from dpkg-shlibdeps; Qt's platform plugins (xcb)
# are only recommended by libqt6gui6, and without them no window opens.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
# `cmake --build <build> --target package_source`: the sources alone, without
# build folders, history or crash inputs.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME maskquill-${PROJECT_VERSION})
# CPack writes these patterns into a CMake file of its own, where a backslash
# would start an escape sequence: "[.]" matches a dot without one.
set(CPACK_SOURCE_IGNORE_FILES "/[.]git$" "/[.]git/" "/[.]gitignore$" "/build[^/]*/" "/cleanclone/" "/out/" "/crash-[^/]*$"
  "/leak-[^/]*$" "/timeout-[^/]*$")
include(CPack)
