#!/bin/sh
# Fails when a plug-in in the given folder needs a Qt library, or when there is no
# plug-in to look at.
# Usage: plugins_link_no_qt.sh PLUGIN_FOLDER
set -u
folder=$1
count=0
status=0
for plugin in "$folder"/*.so; do
  [ -e "$plugin" ] || continue
  count=$((count + 1))
  if ! needed=$(readelf -d "$plugin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); then
    echo "cannot read $plugin"
    status=1
    continue
  fi
  echo "$(basename "$plugin"): $(echo $needed)"
  for library in $needed; do
    case $library in
      libQt*) echo "$(basename "$plugin") needs $library" ; status=1 ;;
    esac
  done
done
if [ $count -lt 2 ]; then
  echo "expected the shipped plug-ins in $folder, found $count"
  exit 1
fi
exit $status
