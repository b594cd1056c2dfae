"""Writes the page as one file that runs from the disk (file://), where a page cannot fetch its
WebAssembly, its scripts or a worker's script from beside it.

    one_file.py SITE MODULE.js SWEEP_MODULE.js OUT.html [LATER ...]

SITE is the site folder (its index.html, scripts and style sheets); MODULE.js and
SWEEP_MODULE.js are the page's and the sweep worker's modules built with the WebAssembly inside
them (-sSINGLE_FILE); LATER are the site's files that the page loads only when it needs them
(embed.js), which come along too, after the page's own. The style sheets go into <style>
elements; the scripts, in the order index.html loads them, to the end of the body (they were
deferred: they ran once the document was parsed); the worker's script, with its module in place
of its importScripts, into a string the page makes the worker from (exports.js). Links to files
that need a server (the manifest, the preloaded WebAssembly) are left out; the icon comes along
as a data: URL. The languages' catalogues (SITE/lang/*.json), which the site fetches when a
language is chosen, come along as one object (window.tarselCatalogues, read by language.js):
every language works from the disk.
"""

import base64
import json
import os
import re
import sys


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def fail(message):
    sys.exit(f"one_file.py: {message}")


def inline_script(text):
    # "</script" inside a script would end the element early.
    return "<script>\n" + text.replace("</script", "<\\/script") + "\n</script>\n"


def main():
    if len(sys.argv) < 5:
        fail("usage: one_file.py SITE MODULE.js SWEEP_MODULE.js OUT.html [LATER ...]")
    site, module, sweep_module, out = sys.argv[1:5]
    later = sys.argv[5:]
    page = read(os.path.join(site, "index.html"))

    scripts = []

    def take_script(match):
        name = match.group(1)
        scripts.append(read(module) if name == "tarsel.js" else read(os.path.join(site, name)))
        return ""
    page, count = re.subn(r'<script src="([^"]+)" defer></script>\n', take_script, page)
    if count == 0:
        fail("no deferred scripts in index.html")

    def take_style(match):
        return "<style>\n" + read(os.path.join(site, match.group(1))) + "\n</style>\n"
    page = re.sub(r'<link rel="stylesheet" href="([^"]+)">\n', take_style, page)
    styles = "".join("<style>\n" + read(os.path.join(site, name)) + "\n</style>\n"
                     for name in later if name.endswith(".css"))
    page = page.replace("</head>", styles + "</head>")
    scripts += [read(os.path.join(site, name)) for name in later if name.endswith(".js")]

    icon = base64.b64encode(open(os.path.join(site, "icon.svg"), "rb").read()).decode("ascii")
    page = page.replace('href="icon.svg"', f'href="data:image/svg+xml;base64,{icon}"')
    # What only a server gives: the installed app's manifest and icon, the module's preload.
    page = re.sub(r'<link rel="(manifest|apple-touch-icon|preload)"[^>]*>\n', "", page)
    if re.search(r'(src|href)="(?!data:)[^"#]', page):
        fail("index.html still names a file beside it")

    worker = read(os.path.join(site, "sweep_worker.js"))
    load = "importScripts('tarsel_sweep.js');"
    if load not in worker:
        fail(f"sweep_worker.js does not load its module with {load}")
    worker = worker.replace(load, read(sweep_module))
    source = json.dumps(worker).replace("</", "<\\/")

    catalogues = {}
    lang = os.path.join(site, "lang")
    for name in sorted(os.listdir(lang)) if os.path.isdir(lang) else []:
        if name.endswith(".json"):
            with open(os.path.join(lang, name), encoding="utf-8") as f:
                catalogues[name[:-len(".json")]] = json.load(f)
    carried = json.dumps(catalogues, ensure_ascii=False, separators=(",", ":")).replace("</", "<\\/")

    body = inline_script(f"window.tarselWorkerSource = {source};")
    body += inline_script(f"window.tarselCatalogues = {carried};")
    body += "".join(inline_script(s) for s in scripts)
    if page.count("</body>") != 1:
        fail("index.html has no single </body>")
    page = page.replace("</body>", body + "</body>")

    temporary = out + ".part"
    with open(temporary, "w", encoding="utf-8") as f:
        f.write(page)
    os.replace(temporary, out)


if __name__ == "__main__":
    main()
