-- The factory's database for romtool stations, on PostgreSQL (11 or later).
--
-- Run once by the database administrator, as a superuser, with psql:
--
--     psql -v ON_ERROR_STOP=1 -U postgres -f postgresql.sql
--
-- It creates the database "romtool" (UTF-8) and in it the schema "romtool" with
--   production_record    every station's record rows, as the stations' CSV files hold them
--   serial_pool          the pools serial numbers are taken from, in blocks
--   add_record_row       what a station calls to deliver one row: a second delivery of the same
--                        row (the same delivery key) is ignored, so resending is harmless
--   take_serial_block    what a station calls to take the next block of a pool, atomically
--   label_passed         what a station asks before programming a board with a scanned label:
--                        which station passed that label already, if any
-- and two roles to grant to logins:
--   romtool_station      may add rows, take blocks and ask of a label, and nothing else: it can
--                        neither change nor remove a row, nor read one, nor read or move a pool
--   romtool_report       may read the record (romtool-report --database)
-- Running it again changes nothing that exists and adds what is missing: it also upgrades a
-- database made by an earlier version of this script (upgrade-postgresql.sql runs it so).
--
-- Then, for each station (or one login for a line), and for the report:
--     CREATE ROLE line3 LOGIN PASSWORD '...' IN ROLE romtool_station;
--     CREATE ROLE reports LOGIN PASSWORD '...' IN ROLE romtool_report;
-- and for each pool of serial numbers (first and last number, both included, below 2^32):
--     INSERT INTO romtool.serial_pool (pool_name, next_number, last_number)
--         VALUES ('nrf52-board', 100000, 999999);

SELECT 'CREATE DATABASE romtool ENCODING ''UTF8'' TEMPLATE template0'
 WHERE NOT EXISTS (SELECT FROM pg_database WHERE datname = 'romtool')\gexec

\connect romtool

DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'romtool_station') THEN
        CREATE ROLE romtool_station NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'romtool_report') THEN
        CREATE ROLE romtool_report NOLOGIN;
    END IF;
END
$$;

CREATE SCHEMA IF NOT EXISTS romtool;

-- The record's columns under the CSV's names, in its order, then the station's name and the key
-- that makes a second delivery of the same row harmless. id is the order the rows arrived in.
CREATE TABLE IF NOT EXISTS romtool.production_record (
    id             bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    "time"         timestamp(3)  NOT NULL,
    title          varchar(255)  NOT NULL,
    station_folder varchar(1000),
    probe          text,
    image          varchar(1000),
    checksum       varchar(32),
    erase          varchar(3),
    verdict        varchar(4)    NOT NULL CHECK (verdict IN ('PASS', 'FAIL')),
    error_code     integer,
    run_ms         integer,
    timed_out      varchar(3),
    exit_code      bigint,
    probe_serial   varchar(20),
    device_id      varchar(16),
    serial_number  bigint,
    same_chip_as   timestamp(3),
    board_label    varchar(100),
    family         varchar(10),
    sessions       integer,
    mes_check      varchar(20),
    fixture        varchar(100),
    station        varchar(100)  NOT NULL,
    delivery_key   char(32)      NOT NULL UNIQUE
);
-- Columns the record gained after the table was first made, at the table's end.
ALTER TABLE romtool.production_record ADD COLUMN IF NOT EXISTS board_label varchar(100);
ALTER TABLE romtool.production_record ADD COLUMN IF NOT EXISTS family varchar(10);
ALTER TABLE romtool.production_record ADD COLUMN IF NOT EXISTS sessions integer;
ALTER TABLE romtool.production_record ADD COLUMN IF NOT EXISTS mes_check varchar(20);
ALTER TABLE romtool.production_record ADD COLUMN IF NOT EXISTS fixture varchar(100);
CREATE INDEX IF NOT EXISTS production_record_time ON romtool.production_record ("time");
CREATE INDEX IF NOT EXISTS production_record_station ON romtool.production_record (station, "time");
CREATE INDEX IF NOT EXISTS production_record_device_id ON romtool.production_record (device_id);
CREATE INDEX IF NOT EXISTS production_record_serial ON romtool.production_record (serial_number);
CREATE INDEX IF NOT EXISTS production_record_board_label
    ON romtool.production_record (board_label);

-- A pool hands out next_number to last_number, a block at a time, each number once.
CREATE TABLE IF NOT EXISTS romtool.serial_pool (
    pool_name   varchar(100) PRIMARY KEY,
    next_number bigint NOT NULL CHECK (next_number >= 0),
    last_number bigint NOT NULL CHECK (last_number < 4294967296),
    CHECK (next_number <= last_number + 1)
);

-- The functions before board_label, before family and sessions, before mes_check and before
-- fixture: the one below takes their calls too (the later arguments have defaults), so
-- stations not yet updated go on delivering.
DROP FUNCTION IF EXISTS romtool.add_record_row(varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar);
DROP FUNCTION IF EXISTS romtool.add_record_row(varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar);
DROP FUNCTION IF EXISTS romtool.add_record_row(varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar, varchar, varchar);
DROP FUNCTION IF EXISTS romtool.add_record_row(varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar, varchar, varchar, varchar);

-- One row as the station's CSV holds it, every field as its text ('' for an empty field). The
-- texts are converted here, so a field that is not what its column holds (or too long for it)
-- is refused with the database's own reason, for that row alone.
CREATE OR REPLACE FUNCTION romtool.add_record_row(
    p_station varchar, p_delivery_key varchar, p_time varchar, p_title varchar,
    p_station_folder varchar, p_probe varchar, p_image varchar, p_checksum varchar,
    p_erase varchar, p_verdict varchar, p_error_code varchar, p_run_ms varchar,
    p_timed_out varchar, p_exit_code varchar, p_probe_serial varchar, p_device_id varchar,
    p_serial_number varchar, p_same_chip_as varchar, p_board_label varchar DEFAULT '',
    p_family varchar DEFAULT '', p_sessions varchar DEFAULT '', p_mes_check varchar DEFAULT '',
    p_fixture varchar DEFAULT '')
RETURNS void
LANGUAGE sql
SET search_path = romtool, pg_temp
AS $$
    INSERT INTO romtool.production_record (
        "time", title, station_folder, probe, image, checksum, erase, verdict, error_code,
        run_ms, timed_out, exit_code, probe_serial, device_id, serial_number, same_chip_as,
        board_label, family, sessions, mes_check, fixture, station, delivery_key)
    VALUES (
        CAST(p_time AS timestamp(3)), p_title, NULLIF(p_station_folder, ''),
        NULLIF(p_probe, ''), NULLIF(p_image, ''), NULLIF(p_checksum, ''), NULLIF(p_erase, ''),
        p_verdict, CAST(NULLIF(p_error_code, '') AS integer),
        CAST(NULLIF(p_run_ms, '') AS integer), NULLIF(p_timed_out, ''),
        CAST(NULLIF(p_exit_code, '') AS bigint), NULLIF(p_probe_serial, ''),
        NULLIF(p_device_id, ''), CAST(NULLIF(p_serial_number, '') AS bigint),
        CAST(NULLIF(p_same_chip_as, '') AS timestamp(3)), NULLIF(p_board_label, ''),
        NULLIF(p_family, ''), CAST(NULLIF(p_sessions, '') AS integer), NULLIF(p_mes_check, ''),
        NULLIF(p_fixture, ''),
        p_station, p_delivery_key)
    ON CONFLICT DO NOTHING
$$;

-- Takes the next block of at most p_count numbers from the pool, in one transaction: the pool's
-- row stays locked from reading to moving it on, so two stations never get the same number. One
-- row (block_first, block_last), or none when the pool is used up; an unknown pool is an error.
-- It runs with its owner's rights: stations may take blocks but not move a pool themselves.
CREATE OR REPLACE FUNCTION romtool.take_serial_block(p_pool varchar, p_count integer)
RETURNS TABLE (block_first bigint, block_last bigint)
LANGUAGE plpgsql
SECURITY DEFINER
SET search_path = romtool, pg_temp
AS $$
DECLARE
    v_next bigint;
    v_last bigint;
BEGIN
    IF p_count IS NULL OR p_count < 1 THEN
        RAISE EXCEPTION 'a block holds at least one number, not %', p_count
            USING ERRCODE = 'invalid_parameter_value';
    END IF;
    SELECT p.next_number, p.last_number INTO v_next, v_last
      FROM romtool.serial_pool p WHERE p.pool_name = p_pool FOR UPDATE;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'there is no serial number pool named "%"', p_pool
            USING ERRCODE = 'no_data_found';
    END IF;
    IF v_next > v_last THEN
        RETURN;
    END IF;
    block_first := v_next;
    block_last := LEAST(v_last, v_next + p_count - 1);
    UPDATE romtool.serial_pool p SET next_number = block_last + 1 WHERE p.pool_name = p_pool;
    RETURN NEXT;
END
$$;

-- The station and time of the first PASS row of a board label (as the record's field holds it),
-- at any station; no row when no station passed it. It runs with its owner's rights: a station
-- may ask of one label but not read the record.
CREATE OR REPLACE FUNCTION romtool.label_passed(p_board_label varchar)
RETURNS TABLE (passed_station varchar, passed_time timestamp(3))
LANGUAGE sql
STABLE
SECURITY DEFINER
SET search_path = romtool, pg_temp
AS $$
    SELECT r.station, r."time"
      FROM romtool.production_record r
     WHERE r.board_label = p_board_label AND r.verdict = 'PASS'
     ORDER BY r."time", r.id
     LIMIT 1
$$;

REVOKE CONNECT, TEMPORARY ON DATABASE romtool FROM PUBLIC;
GRANT CONNECT ON DATABASE romtool TO romtool_station, romtool_report;
GRANT USAGE ON SCHEMA romtool TO romtool_station, romtool_report;

REVOKE ALL ON romtool.production_record, romtool.serial_pool FROM PUBLIC;
GRANT INSERT ON romtool.production_record TO romtool_station;
GRANT SELECT ON romtool.production_record, romtool.serial_pool TO romtool_report;

REVOKE ALL ON FUNCTION romtool.add_record_row(varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar) FROM PUBLIC;
REVOKE ALL ON FUNCTION romtool.take_serial_block(varchar, integer) FROM PUBLIC;
REVOKE ALL ON FUNCTION romtool.label_passed(varchar) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION romtool.add_record_row(varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar,
    varchar, varchar, varchar, varchar, varchar, varchar, varchar, varchar) TO romtool_station;
GRANT EXECUTE ON FUNCTION romtool.take_serial_block(varchar, integer) TO romtool_station;
GRANT EXECUTE ON FUNCTION romtool.label_passed(varchar) TO romtool_station;
