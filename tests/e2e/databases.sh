# Restoring a backup archive and comparing two databases on the throwaway server. Source it.

# restore_archive ZIP DB: unpacks the archive's one entry with unzip into a new database DB.
restore_archive() {
  mariadb -e "CREATE DATABASE \`$2\`" && unzip -p "$1" | mariadb "$2"
}

# compare_databases A B: the same tables, views, triggers, procedures and events, and every table
# with the same row count and checksum, every view with the same rows. Prints each difference;
# fails on any.
compare_databases() {
  local a=$1 b=$2 t differ=0 x y
  x=$(schema_objects "$a")
  y=$(schema_objects "$b")
  if [ -z "$x" ]; then
    echo "    $a holds nothing to compare"
    return 1
  fi
  [ "$x" == "$y" ] || { echo "    tables, views, triggers, procedures or events differ"; differ=1; }
  for t in $(sql "SELECT TABLE_NAME FROM information_schema.TABLES
                  WHERE TABLE_SCHEMA = '$a' AND TABLE_TYPE = 'BASE TABLE' ORDER BY 1"); do
    x=$(sql "SELECT COUNT(*) FROM \`$a\`.\`$t\`")
    y=$(sql "SELECT COUNT(*) FROM \`$b\`.\`$t\`")
    [ "$x" == "$y" ] || { echo "    $t: $x rows against $y"; differ=1; }
    x=$(sql "CHECKSUM TABLE \`$a\`.\`$t\` EXTENDED" | cut -f2)
    y=$(sql "CHECKSUM TABLE \`$b\`.\`$t\` EXTENDED" | cut -f2)
    [ "$x" == "$y" ] || { echo "    $t: checksum $x against $y"; differ=1; }
  done
  for t in $(sql "SELECT TABLE_NAME FROM information_schema.VIEWS WHERE TABLE_SCHEMA = '$a'"); do
    x=$(sql "SELECT * FROM \`$a\`.\`$t\`" | sort | md5sum)
    y=$(sql "SELECT * FROM \`$b\`.\`$t\`" | sort | md5sum)
    [ "$x" == "$y" ] || { echo "    view $t: rows differ"; differ=1; }
  done
  return "$differ"
}

# The names and kinds of a database's tables and views, and its triggers, procedures and events
# with their bodies.
schema_objects() {
  sql "SELECT TABLE_NAME, TABLE_TYPE FROM information_schema.TABLES WHERE TABLE_SCHEMA = '$1'
       ORDER BY 1;
       SELECT TRIGGER_NAME, EVENT_MANIPULATION, ACTION_TIMING, EVENT_OBJECT_TABLE, ACTION_STATEMENT
       FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = '$1' ORDER BY 1;
       SELECT ROUTINE_NAME, ROUTINE_TYPE, ROUTINE_DEFINITION
       FROM information_schema.ROUTINES WHERE ROUTINE_SCHEMA = '$1' ORDER BY 1;
       SELECT EVENT_NAME, INTERVAL_VALUE, INTERVAL_FIELD, STARTS, STATUS, EVENT_DEFINITION
       FROM information_schema.EVENTS WHERE EVENT_SCHEMA = '$1' ORDER BY 1"
}

# routines_and_events DB: "name (kind)" of each procedure and event, one line.
routines_and_events() {
  sql "SELECT CONCAT(ROUTINE_NAME, ' (', LOWER(ROUTINE_TYPE), ')') FROM information_schema.ROUTINES
       WHERE ROUTINE_SCHEMA = '$1'
       UNION ALL SELECT CONCAT(EVENT_NAME, ' (event)') FROM information_schema.EVENTS
       WHERE EVENT_SCHEMA = '$1'" | paste -sd, - | sed 's/,/, /g'
}

sql() { mariadb -N -B -e "$1"; }
