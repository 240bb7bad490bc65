#!/usr/bin/env bash
# The shared libraries' dynamic symbol tables: the host API is there, the internals are not.
# Arguments: the control library, the session contract library, the store library.
set -euo pipefail
source "$(dirname "$0")/../../scripts/programs.sh"
dw_need nm
declare -A symbols
for library in control:$1 session:$2 store:$3; do
  symbols[${library%%:*}]=$(nm -D --defined-only -C "${library#*:}")
done
fail=0
# library  exported|hidden  a symbol name, as `nm -C` prints it, up to its parameters
while read -r library rule symbol; do
  [[ -z "$library" || "$library" == \#* ]] && continue
  if [[ "${symbols[$library]}" == *" $symbol"* ]]; then found=exported; else found=hidden; fi
  [[ "$found" == "$rule" ]] || { echo "$library library: $symbol is $found, should be $rule"; fail=1; }
done <<'TABLE'
control exported dwfm::FileManUI::FileManUI(
control exported dwfm::FileManUI::staticMetaObject
control exported dwfm::FileNameValid(
control exported dwfm::KeyAllowed(
control exported dwfm::ShowError(
control exported dwfm::setPrompts(
control exported dwfm::frmSaveAsDialog::
control hidden   dwfm::ClipboardList::
control hidden   dwfm::FileListModel::
control hidden   dwfm::CommandDispatch::
control hidden   dwfm::LocationTreeModel::
control hidden   dwfm::ControlView::
control hidden   dwfm::treeModelOf(
session exported dwfm::SessionRegistry::registerFactory(
session exported dwfm::MemoryRecordset::
session exported dwfm::ProjectBatch::
store   exported dwfm::store::registerDwFileStore(
store   hidden   dwfm::store::ProjectCatalog::
store   hidden   dwfm::store::CheckOutDesk::
store   hidden   dwfm::store::DwFileStoreSession::
store   hidden   dwfm::store::SqliteDb::
TABLE
# Nothing of the store but its registration leaves the store library.
others=$(grep -F ' dwfm::' <<<"${symbols[store]}" | grep -vF 'dwfm::store::registerDwFileStore(' || true)
[[ -z "$others" ]] || { echo "the store library exports more than its registration:"; echo "$others" | head; fail=1; }
exit $fail
