-- The factory's database for romtool stations, on Microsoft SQL Server (2016 SP1 or later).
--
-- Written from SQL Server's documentation and checked for syntax only (sqlfluff's T-SQL
-- grammar, a test of the project); PostgreSQL (postgresql.sql) is the engine the project runs
-- its tests against. It makes the same objects under the same names, so a station and
-- romtool-report reach either the same way.
--
-- Run once by the database administrator, with sqlcmd:
--
--     sqlcmd -S <server> -E -b -i sqlserver.sql
--
-- It creates the database "romtool" and in it the schema "romtool" with
--   production_record    every station's record rows, as the stations' CSV files hold them
--   serial_pool          the pools serial numbers are taken from, in blocks
--   add_record_row       what a station calls to deliver one row: a second delivery of the same
--                        row (the same delivery key) is ignored, so resending is harmless
--   take_serial_block    what a station calls to take the next block of a pool, atomically
--   label_passed         what a station asks before programming a board with a scanned label:
--                        which station passed that label already, if any
-- and two roles to give to users:
--   romtool_station      may add rows, take blocks and ask of a label, and nothing else: it can
--                        neither change nor remove a row, nor read one, nor read or move a pool
--   romtool_report       may read the record (romtool-report --database)
-- Running it again changes nothing that exists and adds what is missing: it also upgrades a
-- database made by an earlier version of this script (see upgrade-sqlserver.sql).
--
-- Then, for each station (or one login for a line), and for the report:
--     CREATE LOGIN line3 WITH PASSWORD = '...';
--     USE romtool; CREATE USER line3 FOR LOGIN line3;
--     ALTER ROLE romtool_station ADD MEMBER line3;
-- (the same with romtool_report for the report's login), and for each pool of serial numbers
-- (first and last number, both included, below 2^32):
--     INSERT INTO romtool.serial_pool (pool_name, next_number, last_number)
--         VALUES (N'nrf52-board', 100000, 999999);

IF DB_ID(N'romtool') IS NULL
    CREATE DATABASE romtool;
GO

USE romtool;
GO

IF SCHEMA_ID(N'romtool') IS NULL
    EXEC sp_executesql N'CREATE SCHEMA romtool';
GO

-- The record's columns under the CSV's names, in its order, then the station's name and the key
-- that makes a second delivery of the same row harmless. id is the order the rows arrived in.
IF OBJECT_ID(N'romtool.production_record', N'U') IS NULL
    CREATE TABLE romtool.production_record (
        id bigint IDENTITY (1, 1) NOT NULL CONSTRAINT production_record_id PRIMARY KEY,
        [time] datetime2(3) NOT NULL,
        title nvarchar(255) NOT NULL,
        station_folder nvarchar(1000) NULL,
        probe nvarchar(max) NULL,
        [image] nvarchar(1000) NULL,
        checksum nvarchar(32) NULL,
        erase nvarchar(3) NULL,
        verdict nvarchar(4) NOT NULL
            CONSTRAINT production_record_verdict CHECK (verdict IN (N'PASS', N'FAIL')),
        error_code int NULL,
        run_ms int NULL,
        timed_out nvarchar(3) NULL,
        exit_code bigint NULL,
        probe_serial nvarchar(20) NULL,
        device_id nvarchar(16) NULL,
        serial_number bigint NULL,
        same_chip_as datetime2(3) NULL,
        board_label nvarchar(100) NULL,
        family nvarchar(10) NULL,
        sessions int NULL,
        mes_check nvarchar(20) NULL,
        fixture nvarchar(100) NULL,
        station nvarchar(100) NOT NULL,
        delivery_key char(32) NOT NULL
    );
GO

-- Columns the record gained after the table was first made, at the table's end.
IF COL_LENGTH(N'romtool.production_record', N'board_label') IS NULL
    ALTER TABLE romtool.production_record ADD board_label nvarchar(100) NULL;
IF COL_LENGTH(N'romtool.production_record', N'family') IS NULL
    ALTER TABLE romtool.production_record ADD family nvarchar(10) NULL;
IF COL_LENGTH(N'romtool.production_record', N'sessions') IS NULL
    ALTER TABLE romtool.production_record ADD sessions int NULL;
IF COL_LENGTH(N'romtool.production_record', N'mes_check') IS NULL
    ALTER TABLE romtool.production_record ADD mes_check nvarchar(20) NULL;
IF COL_LENGTH(N'romtool.production_record', N'fixture') IS NULL
    ALTER TABLE romtool.production_record ADD fixture nvarchar(100) NULL;
GO

-- A second row under the same key is dropped by the index itself ("Duplicate key was
-- ignored."), in the same statement, so two deliveries can never both insert.
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'production_record_key'
        AND object_id = OBJECT_ID(N'romtool.production_record')
)
    CREATE UNIQUE INDEX production_record_key ON romtool.production_record (delivery_key)
        WITH (IGNORE_DUP_KEY = ON);
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'production_record_time'
        AND object_id = OBJECT_ID(N'romtool.production_record')
)
    CREATE INDEX production_record_time ON romtool.production_record ([time]);
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'production_record_station'
        AND object_id = OBJECT_ID(N'romtool.production_record')
)
    CREATE INDEX production_record_station ON romtool.production_record (station, [time]);
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'production_record_device_id'
        AND object_id = OBJECT_ID(N'romtool.production_record')
)
    CREATE INDEX production_record_device_id ON romtool.production_record (device_id);
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'production_record_serial'
        AND object_id = OBJECT_ID(N'romtool.production_record')
)
    CREATE INDEX production_record_serial ON romtool.production_record (serial_number);
IF NOT EXISTS (
    SELECT 1 FROM sys.indexes
    WHERE name = N'production_record_board_label'
        AND object_id = OBJECT_ID(N'romtool.production_record')
)
    CREATE INDEX production_record_board_label ON romtool.production_record (board_label);
GO

-- A pool hands out next_number to last_number, a block at a time, each number once.
IF OBJECT_ID(N'romtool.serial_pool', N'U') IS NULL
    CREATE TABLE romtool.serial_pool (
        pool_name nvarchar(100) NOT NULL CONSTRAINT serial_pool_name PRIMARY KEY,
        next_number bigint NOT NULL CONSTRAINT serial_pool_next CHECK (next_number >= 0),
        last_number bigint NOT NULL CONSTRAINT serial_pool_last CHECK (last_number < 4294967296),
        CONSTRAINT serial_pool_order CHECK (next_number <= last_number + 1)
    );
GO

-- One row as the station's CSV holds it, every field as its text ('' for an empty field). The
-- texts are converted here, so a field that is not what its column holds (or too long for it)
-- is refused with the database's own reason, for that row alone. board_label, family,
-- sessions, mes_check and fixture have defaults, so stations older than the columns go on
-- delivering.
CREATE OR ALTER PROCEDURE romtool.add_record_row
    @station nvarchar(4000), @delivery_key nvarchar(4000), @time nvarchar(4000),
    @title nvarchar(4000), @station_folder nvarchar(4000), @probe nvarchar(max),
    @image nvarchar(4000), @checksum nvarchar(4000), @erase nvarchar(4000),
    @verdict nvarchar(4000), @error_code nvarchar(4000), @run_ms nvarchar(4000),
    @timed_out nvarchar(4000), @exit_code nvarchar(4000), @probe_serial nvarchar(4000),
    @device_id nvarchar(4000), @serial_number nvarchar(4000), @same_chip_as nvarchar(4000),
    @board_label nvarchar(4000) = N'', @family nvarchar(4000) = N'',
    @sessions nvarchar(4000) = N'', @mes_check nvarchar(4000) = N'',
    @fixture nvarchar(4000) = N''
AS
BEGIN
    SET NOCOUNT ON;
    INSERT INTO romtool.production_record (
        [time], title, station_folder, probe, [image], checksum, erase, verdict, error_code,
        run_ms, timed_out, exit_code, probe_serial, device_id, serial_number, same_chip_as,
        board_label, family, sessions, mes_check, fixture, station, delivery_key
    )
    VALUES (
        CONVERT(datetime2(3), @time, 126), @title, NULLIF(@station_folder, N''),
        NULLIF(@probe, N''), NULLIF(@image, N''), NULLIF(@checksum, N''), NULLIF(@erase, N''),
        @verdict, CONVERT(int, NULLIF(@error_code, N'')), CONVERT(int, NULLIF(@run_ms, N'')),
        NULLIF(@timed_out, N''), CONVERT(bigint, NULLIF(@exit_code, N'')),
        NULLIF(@probe_serial, N''), NULLIF(@device_id, N''),
        CONVERT(bigint, NULLIF(@serial_number, N'')),
        CONVERT(datetime2(3), NULLIF(@same_chip_as, N''), 126), NULLIF(@board_label, N''),
        NULLIF(@family, N''), CONVERT(int, NULLIF(@sessions, N'')), NULLIF(@mes_check, N''),
        NULLIF(@fixture, N''),
        @station, @delivery_key
    );
END;
GO

-- Takes the next block of at most @count numbers from the pool: one UPDATE moves the pool on and
-- hands out what it moved over (OUTPUT), so two stations never get the same number. One row
-- (block_first, block_last), or none when the pool is used up; an unknown pool is an error. The
-- procedure and the table have one owner, so a station may call it without any right on the pool.
CREATE OR ALTER PROCEDURE romtool.take_serial_block
    @pool nvarchar(100), @count int
AS
BEGIN
    SET NOCOUNT ON;
    SET XACT_ABORT ON;
    IF @count IS NULL OR @count < 1
        THROW 50001, N'a block holds at least one number', 1;
    DECLARE @taken TABLE (block_first bigint, block_last bigint);
    UPDATE romtool.serial_pool
    SET next_number = CASE
        WHEN next_number + @count <= last_number + 1 THEN next_number + @count
        ELSE last_number + 1
    END
    OUTPUT deleted.next_number, inserted.next_number - 1 INTO @taken (block_first, block_last)
    WHERE pool_name = @pool AND next_number <= last_number;
    IF NOT EXISTS (SELECT 1 FROM @taken)
        AND NOT EXISTS (SELECT 1 FROM romtool.serial_pool WHERE pool_name = @pool)
    BEGIN
        DECLARE @message nvarchar(400) =
            CONCAT(N'there is no serial number pool named "', @pool, N'"');
        THROW 50002, @message, 1;
    END;
    SELECT block_first, block_last FROM @taken;
END;
GO

-- The station and time of the first PASS row of a board label (as the record's field holds it),
-- at any station; no row when no station passed it. The procedure and the table have one owner,
-- so a station may ask of one label without any right to read the record.
CREATE OR ALTER PROCEDURE romtool.label_passed
    @board_label nvarchar(4000)
AS
BEGIN
    SET NOCOUNT ON;
    SELECT TOP (1) station AS passed_station, [time] AS passed_time
    FROM romtool.production_record
    WHERE board_label = @board_label AND verdict = N'PASS'
    ORDER BY [time], id;
END;
GO

IF DATABASE_PRINCIPAL_ID(N'romtool_station') IS NULL
    CREATE ROLE romtool_station;
IF DATABASE_PRINCIPAL_ID(N'romtool_report') IS NULL
    CREATE ROLE romtool_report;
GO

GRANT INSERT ON romtool.production_record TO romtool_station;
GRANT EXECUTE ON romtool.add_record_row TO romtool_station;
GRANT EXECUTE ON romtool.take_serial_block TO romtool_station;
GRANT EXECUTE ON romtool.label_passed TO romtool_station;
DENY SELECT, UPDATE, DELETE ON romtool.production_record TO romtool_station;
DENY SELECT, INSERT, UPDATE, DELETE ON romtool.serial_pool TO romtool_station;
GRANT SELECT ON romtool.production_record TO romtool_report;
GRANT SELECT ON romtool.serial_pool TO romtool_report;
GO
