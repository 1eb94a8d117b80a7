# Lays out the build tree's program folder; run at every build, changes nothing already there.
foreach(folder help samples)
  if(EXISTS ${SHARE}/${folder} AND NOT EXISTS ${TO}/${folder})
    file(CREATE_LINK ${SHARE}/${folder} ${TO}/${folder} SYMBOLIC)
  endif()
endforeach()
if(EXISTS ${SHARE}/templates AND NOT EXISTS ${TO}/templates)
  file(COPY ${SHARE}/templates DESTINATION ${TO})
endif()
