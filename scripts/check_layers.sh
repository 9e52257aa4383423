#!/usr/bin/env bash
# Checks that every file under src/ includes only its own layer and the layers below it
# (platform -> core -> cleaners, tools -> app; each folder's forms/ above its logic), and that no
# logic includes a Qt Widgets header. Prints each offending include; exits 1 when there is one.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"
cd "$src"

# The include prefixes each folder may use, besides headers of its own folder.
allowed() {
    case "$1" in
        platform) echo "platform/" ;;
        platform/widgets) echo "platform/" ;;
        core) echo "core/ platform/" ;;
        core/forms) echo "core/ platform/ ui_" ;;
        cleaners | tools) echo "$1/ core/ platform/" ;;
        cleaners/forms | tools/forms) echo "${1%/forms}/ core/ platform/ ui_" ;;
        app) echo "app/ cleaners/ tools/ core/ platform/" ;;
        app/forms) echo "app/ cleaners/ tools/ core/ platform/ ui_" ;;
        *) echo "" ;;
    esac
}
# Prefixes that stay out of reach even where their parent is allowed: windows of a layer belong
# to that layer's forms/ alone, and logic never reaches the widgets seams.
forbidden() {
    case "$1" in
        platform | core | cleaners | tools | app) echo "platform/widgets/ core/forms/ cleaners/forms/ tools/forms/ app/forms/" ;;
        platform/widgets) echo "" ;;
        core/forms) echo "cleaners/ tools/ app/" ;;
        cleaners/forms) echo "tools/ app/" ;;
        tools/forms) echo "cleaners/ app/" ;;
        *) echo "" ;;
    esac
}
widgetHeaders='^#include <(QtWidgets/|QWidget|QDialog|QLabel|QPushButton|QCheckBox|QApplication|QMessageBox|QList(Widget|View)|QComboBox|QLineEdit|QMainWindow|QTreeWidget|QTabWidget|QRadioButton|QGroupBox|QStyle)'

status=0
while IFS= read -r file; do
    folder=$(dirname "$file")
    folder=${folder#./}
    [[ "$file" == */app/nivmain.cpp ]] && folder=app/forms # the program entry sits on top
    ok=$(allowed "$folder")
    if [ -z "$ok" ]; then
        echo "$file: folder $folder is not a known layer"
        status=1
        continue
    fi
    bad=$(forbidden "$folder")
    while IFS= read -r line; do
        header=$(sed -E 's/^#include "([^"]+)".*/\1/' <<<"$line")
        [[ "$header" != */* && "$header" != ui_* ]] && continue # a header of its own folder
        pass=0
        for p in $ok; do [[ "$header" == "$p"* ]] && pass=1; done
        for p in $bad; do [[ "$header" == "$p"* ]] && pass=0; done
        [[ "$header" == "$folder/"* && "$header" != "$folder/"*/* ]] && pass=1
        if [ "$pass" -eq 0 ]; then
            echo "$file: includes $header, above or beside its layer"
            status=1
        fi
    done < <(grep -E '^#include "' "$file" || true)
    if [[ "$folder" != */forms && "$folder" != platform/widgets ]] &&
        grep -qE "$widgetHeaders" "$file"; then
        echo "$file: logic includes a Qt Widgets header"
        status=1
    fi
done < <(find . -name '*.h' -o -name '*.cpp' | sort)
exit $status
