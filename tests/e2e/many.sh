#!/bin/bash
# Beyond the 42 rows that once fitted the first buffer: with 100 addresses, and then after a
# restart with 2,000, every address is in the exported file, in order, with its mask.
set -u
E2E_NAME=many
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-many-$$

step "100 addresses on npA"
e2e_netns "$ns"
netns_add_many "$ns" 100

step "start Netpeek with 100 addresses"
np_start "$ns"

step "export 100 addresses"
np_export "$E2E_WORK/100.csv"
check_export "$E2E_WORK/100.csv" "$ns"
[ "$(csv_addresses "$E2E_WORK/100.csv" | grep -c '^10\.77\.')" -eq 100 ] ||
    check_failed "100.csv does not hold the 100 addresses"
np_close_esc

step "1,900 more addresses, 2,000 in all"
netns_add_many "$ns" 1900 100

step "start Netpeek again with 2,000 addresses"
np_start "$ns"

step "export 2,000 addresses"
np_export "$E2E_WORK/2000.csv"
check_export "$E2E_WORK/2000.csv" "$ns"
[ "$(csv_addresses "$E2E_WORK/2000.csv" | grep -c '^10\.77\.')" -eq 2000 ] ||
    check_failed "2000.csv does not hold the 2,000 addresses"
np_close_esc
e2e_finish
