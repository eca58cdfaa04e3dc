-- Layout of the Parlivo base on a MariaDB server (10.10 or later), the counterpart of
-- schema.sql. The program never runs this text: parlivo-base creer and the tests do, and
-- the data module checks at opening that the tables, indexes and collations are these.
--
-- Collations are chosen so that users see what sms.abs shows them:
--   utf8mb4_nopad_bin: "=" and ORDER BY compare code points, as SQLite does; no PAD, so a
--   trailing blank is significant ("A" <> "A "), as in SQLite.
--   utf8mb4_uca1400_nopad_as_ci on the two columns the history window searches with LIKE:
--   SQLite's LIKE ignores the case of A to Z; this one ignores case too and keeps accents
--   ("é" does not match "e"). It also ignores the case of accented letters, which SQLite
--   does not (written in the README).
-- Texts that are indexed are VARCHAR (an index needs a bounded key); the others TEXT.
-- Date-times are text "yyyy-MM-dd hh:mm:ss.zzz", as in the file: same precision, same order.
-- Ids are given by AUTO_INCREMENT: on a cluster, a MAX + 1 read on each node would give the
-- same id on every node at once.

CREATE TABLE Categorie (
    id_categorie INT NOT NULL AUTO_INCREMENT,
    interne INT NOT NULL DEFAULT 0,
    nom TEXT COLLATE utf8mb4_nopad_bin,
    PRIMARY KEY (id_categorie),
    UNIQUE INDEX Categorie_ID (id_categorie)
) ENGINE = InnoDB DEFAULT CHARSET = utf8mb4 COLLATE = utf8mb4_nopad_bin;

CREATE TABLE ConfigurationApi (
    id INT NOT NULL AUTO_INCREMENT,
    nom VARCHAR(255) COLLATE utf8mb4_nopad_bin,
    url TEXT COLLATE utf8mb4_nopad_bin,
    cle TEXT COLLATE utf8mb4_nopad_bin,
    cle_api TEXT COLLATE utf8mb4_nopad_bin,
    numero TEXT COLLATE utf8mb4_nopad_bin,
    message TEXT COLLATE utf8mb4_nopad_bin,
    expediteur TEXT COLLATE utf8mb4_nopad_bin,
    date_envoi TEXT COLLATE utf8mb4_nopad_bin,
    format_date TEXT COLLATE utf8mb4_nopad_bin,
    statut_ok TEXT COLLATE utf8mb4_nopad_bin,
    PRIMARY KEY (id),
    UNIQUE INDEX ConfigurationApi_ID (id),
    INDEX ConfigurationApi_NOM (nom)
) ENGINE = InnoDB DEFAULT CHARSET = utf8mb4 COLLATE = utf8mb4_nopad_bin;

CREATE TABLE Template (
    id_template INT NOT NULL AUTO_INCREMENT,
    agence TEXT COLLATE utf8mb4_nopad_bin,
    utilisateur TEXT COLLATE utf8mb4_nopad_bin,
    id_categorie INT NOT NULL DEFAULT 0,
    nom TEXT COLLATE utf8mb4_nopad_bin,
    texte MEDIUMTEXT COLLATE utf8mb4_nopad_bin,
    PRIMARY KEY (id_template),
    UNIQUE INDEX Template_ID (id_template)
) ENGINE = InnoDB DEFAULT CHARSET = utf8mb4 COLLATE = utf8mb4_nopad_bin;

-- The server numbers the rows (AUTO_INCREMENT): no two clients get the same id.
CREATE TABLE Historique (
    id INT NOT NULL AUTO_INCREMENT,
    agence VARCHAR(191) COLLATE utf8mb4_nopad_bin,
    utilisateur VARCHAR(191) COLLATE utf8mb4_nopad_bin,
    date_creation VARCHAR(23) COLLATE utf8mb4_nopad_bin,
    expediteur TEXT COLLATE utf8mb4_uca1400_nopad_as_ci,
    destinataire TEXT COLLATE utf8mb4_uca1400_nopad_as_ci,
    numero TEXT COLLATE utf8mb4_nopad_bin,
    message MEDIUMTEXT COLLATE utf8mb4_nopad_bin,
    date_envoi VARCHAR(23) COLLATE utf8mb4_nopad_bin,
    etat TEXT COLLATE utf8mb4_nopad_bin,
    PRIMARY KEY (id),
    INDEX Historique_ID (id),
    INDEX Historique_Recherche (agence, utilisateur, date_creation)
) ENGINE = InnoDB DEFAULT CHARSET = utf8mb4 COLLATE = utf8mb4_nopad_bin;

-- One row per agency, user, section and key: the primary key keeps two workstations from
-- storing twin settings, and a cluster needs a primary key on every table to replicate rows.
-- The four columns are at most 191 characters each, so that the key stays within InnoDB's
-- limit. OnlyOne stays under its own name for the program's ordered reads.
CREATE TABLE Parametres (
    agence VARCHAR(191) COLLATE utf8mb4_nopad_bin NOT NULL DEFAULT '',
    utilisateur VARCHAR(191) COLLATE utf8mb4_nopad_bin NOT NULL DEFAULT '',
    section VARCHAR(191) COLLATE utf8mb4_nopad_bin NOT NULL DEFAULT '',
    cle VARCHAR(191) COLLATE utf8mb4_nopad_bin NOT NULL DEFAULT '',
    valeur_type VARCHAR(16) COLLATE utf8mb4_nopad_bin,
    valeur_string TEXT COLLATE utf8mb4_nopad_bin,
    valeur_short_int TINYINT,
    valeur_small_int SMALLINT,
    valeur_int INT,
    valeur_large_int BIGINT,
    valeur_float DOUBLE,
    valeur_currency DECIMAL(19, 4),
    valeur_date VARCHAR(23) COLLATE utf8mb4_nopad_bin,
    valeur_time VARCHAR(23) COLLATE utf8mb4_nopad_bin,
    valeur_datetime VARCHAR(23) COLLATE utf8mb4_nopad_bin,
    valeur_blob LONGBLOB,
    valeur_graphic LONGBLOB,
    valeur_memo MEDIUMTEXT COLLATE utf8mb4_nopad_bin,
    PRIMARY KEY (agence, utilisateur, section, cle),
    INDEX Parametres_OnlyOne (agence, utilisateur, section, cle)
) ENGINE = InnoDB DEFAULT CHARSET = utf8mb4 COLLATE = utf8mb4_nopad_bin;
