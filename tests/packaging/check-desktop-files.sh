#!/bin/sh
# The desktop files as the desktop's own tools judge them: the launcher,
# the AppStream description and the file types.
set -eu
dir=$1
id=com.velt.VeltStudio3
desktop-file-validate "$dir/$id.desktop"
appstreamcli validate --no-net "$dir/$id.metainfo.xml"
xmllint --noout "$dir/$id.xml"
