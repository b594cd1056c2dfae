"""Writes the site as a SCORM 1.2 package for a learning platform (Moodle, Canvas, Blackboard,
Brightspace): a zip of the site's files with an imsmanifest.xml at its root that names one
organization with one item, whose one resource, a SCO launched at index.html, lists every file.

    scorm_package.py SITE OUT.zip

Every entry has the same date, so that the same site gives the same bytes.
"""

import html
import os
import re
import sys
import zipfile
from xml.sax.saxutils import escape, quoteattr

MANIFEST = """<?xml version="1.0" encoding="UTF-8"?>
<manifest identifier="tarsel" version="1.0"
          xmlns="http://www.imsproject.org/xsd/imscp_rootv1p1p2"
          xmlns:adlcp="http://www.adlnet.org/xsd/adlcp_rootv1p2"
          xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
          xsi:schemaLocation="http://www.imsproject.org/xsd/imscp_rootv1p1p2 imscp_rootv1p1p2.xsd
                              http://www.adlnet.org/xsd/adlcp_rootv1p2 adlcp_rootv1p2.xsd">
  <metadata>
    <schema>ADL SCORM</schema>
    <schemaversion>1.2</schemaversion>
  </metadata>
  <organizations default="tarsel-organization">
    <organization identifier="tarsel-organization">
      <title>{title}</title>
      <item identifier="tarsel-item" identifierref="tarsel-sco" isvisible="true">
        <title>{title}</title>
      </item>
    </organization>
  </organizations>
  <resources>
    <resource identifier="tarsel-sco" type="webcontent" adlcp:scormtype="sco" href="index.html">
{files}    </resource>
  </resources>
</manifest>
"""
DATE = (2020, 1, 1, 0, 0, 0)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: scorm_package.py SITE OUT.zip")
    site, out = sys.argv[1:]
    with open(os.path.join(site, "index.html"), encoding="utf-8") as f:
        heading = re.search(r'<h1 id="heading">(.*?)</h1>', f.read(), re.S)
    if not heading:
        sys.exit(f"scorm_package.py: no heading in {site}/index.html to name the package")
    title = escape(html.unescape(heading.group(1)))
    names = sorted(os.path.relpath(os.path.join(folder, name), site).replace(os.sep, "/")
                   for folder, _, files in os.walk(site) for name in files)
    files = "".join(f"      <file href={quoteattr(name)}/>\n" for name in names)
    manifest = MANIFEST.format(title=title, files=files)

    temporary = out + ".part"
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED) as z:
        entries = [("imsmanifest.xml", manifest.encode("utf-8"))]
        for name in names:
            with open(os.path.join(site, name), "rb") as f:
                entries.append((name, f.read()))
        for name, data in entries:
            info = zipfile.ZipInfo(name, DATE)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            z.writestr(info, data)
    os.replace(temporary, out)


if __name__ == "__main__":
    main()
