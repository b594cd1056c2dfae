# Writes the service worker (sw.js) once the site's files are built: the cache it fills is
# named after a hash of them all, so that every new build replaces the old cache.
#   cmake -DSITE=DIR -DTEMPLATE=sw.js.in -DFILES="a;b;..." [-DLATER="c;d;..."] -P service_worker.cmake
# LATER are files kept once the page has fetched them (the languages' catalogues): in the hash,
# so that a new catalogue is a new cache, but not fetched at the install.
set(hashes "")
set(names "'./'")
foreach(file IN LISTS FILES)
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND hashes ${hash})
  string(APPEND names ", '${file}'")
endforeach()
foreach(file IN LISTS LATER)
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND hashes ${hash})
endforeach()
string(SHA256 all "${hashes}")
string(SUBSTRING ${all} 0 16 TARSEL_SITE_VERSION)
set(TARSEL_SITE_FILES ${names})
configure_file(${TEMPLATE} ${SITE}/sw.js.part @ONLY)
file(RENAME ${SITE}/sw.js.part ${SITE}/sw.js)
