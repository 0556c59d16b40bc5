#!/usr/bin/env python3
"""Writes SQL that creates the sample "quolmer" database, sized for a dump of about N MB.

Usage: sample_db.py MB | mariadb          (MB in millions of bytes)

Seeded, so every run makes the same database. The content is chosen to catch a damaged backup:
keys and foreign keys, NULLs, Spanish text with accents, quotes, backslashes and line breaks,
binary columns holding every byte value, a view and a trigger whose rows must not fire twice on
restore, and a stored procedure and a scheduled event, which a dump holds only when asked to. The bulk is pseudo-random text from a vocabulary, so it packs about as well as real data.
"""
import random
import sys

SCHEMA = """\
SET NAMES utf8mb4;
SET foreign_key_checks = 0, unique_checks = 0;
CREATE DATABASE quolmer CHARACTER SET utf8mb4 COLLATE utf8mb4_spanish_ci;
USE quolmer;
CREATE TABLE clientes (
  id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
  nif CHAR(9) NOT NULL UNIQUE,
  nombre VARCHAR(60) NOT NULL,
  apellidos VARCHAR(80) NOT NULL,
  ciudad VARCHAR(40) NOT NULL,
  telefono VARCHAR(15) NULL,
  alta DATE NOT NULL,
  saldo DECIMAL(12,2) NOT NULL,
  notas TEXT NULL,
  KEY por_nombre (apellidos, nombre)
) ENGINE=InnoDB;
CREATE TABLE productos (
  id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
  codigo CHAR(10) NOT NULL UNIQUE,
  descripcion VARCHAR(255) NOT NULL,
  precio DECIMAL(10,2) NOT NULL,
  peso DOUBLE NULL,
  existencias INT NOT NULL,
  huella BINARY(16) NOT NULL,
  foto MEDIUMBLOB NULL
) ENGINE=InnoDB;
CREATE TABLE pedidos (
  id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
  cliente_id INT UNSIGNED NOT NULL,
  fecha DATETIME NOT NULL,
  estado ENUM('pendiente','enviado','entregado','anulado') NOT NULL,
  total DECIMAL(12,2) NOT NULL,
  observaciones VARCHAR(255) NULL,
  KEY por_fecha (fecha),
  FOREIGN KEY (cliente_id) REFERENCES clientes (id)
) ENGINE=InnoDB;
CREATE TABLE lineas_pedido (
  pedido_id INT UNSIGNED NOT NULL,
  linea SMALLINT UNSIGNED NOT NULL,
  producto_id INT UNSIGNED NOT NULL,
  cantidad INT NOT NULL,
  precio DECIMAL(10,2) NOT NULL,
  descuento DECIMAL(5,2) NULL,
  PRIMARY KEY (pedido_id, linea),
  FOREIGN KEY (pedido_id) REFERENCES pedidos (id),
  FOREIGN KEY (producto_id) REFERENCES productos (id)
) ENGINE=InnoDB;
CREATE TABLE documentos (
  id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
  pedido_id INT UNSIGNED NULL,
  nombre VARCHAR(120) NOT NULL,
  contenido MEDIUMBLOB NOT NULL,
  FOREIGN KEY (pedido_id) REFERENCES pedidos (id)
) ENGINE=InnoDB;
CREATE TABLE auditoria (
  id BIGINT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
  tabla VARCHAR(30) NOT NULL,
  registro INT UNSIGNED NOT NULL,
  accion CHAR(1) NOT NULL,
  momento DATETIME NOT NULL
) ENGINE=InnoDB;
CREATE TRIGGER pedidos_alta AFTER INSERT ON pedidos FOR EACH ROW
  INSERT INTO auditoria (tabla, registro, accion, momento)
  VALUES ('pedidos', NEW.id, 'A', NEW.fecha);
CREATE VIEW ventas_por_cliente AS
  SELECT c.id, c.nombre, c.apellidos, COUNT(p.id) AS pedidos, COALESCE(SUM(p.total), 0) AS importe
  FROM clientes c LEFT JOIN pedidos p ON p.cliente_id = c.id GROUP BY c.id, c.nombre, c.apellidos;
CREATE PROCEDURE importe_cliente(IN cliente INT UNSIGNED, OUT importe DECIMAL(14,2))
  READS SQL DATA
  SELECT COALESCE(SUM(total), 0) INTO importe FROM pedidos WHERE cliente_id = cliente;
CREATE EVENT purga_auditoria ON SCHEDULE EVERY 1 DAY STARTS '2016-04-17 03:00:00'
  DO DELETE FROM auditoria WHERE momento < NOW() - INTERVAL 10 YEAR;
"""

WORDS = """año acción árbol avión bodega camión canción café caña cigüeña corazón cuñado
dirección educación español fábrica guía huésped jamón kilómetro lápiz limón máquina mañana
montaña música niño número océano olvidó pájaro papá pingüino razón récord sábado señal sillón
tamaño teléfono último útil vergüenza zapatería pedido entrega factura cliente almacén recibo
pago envío devolución garantía urgente revisar llamar nuevo antiguo grande pequeño rojo azul
verde caja palé unidades según acuerdo precio descuento oferta temporada norte sur este oeste
""".split()
NAMES = """José María Ángel Lucía Begoña Íñigo Núria Jesús Inés Óscar Raúl Sofía Agustín
Elena""".split()
SURNAMES = """García Fernández González Rodríguez López Martínez Sánchez Pérez Gómez Martín
Jiménez Ruiz Hernández Díaz Moreno Muñoz Álvarez Romero Alonso Gutiérrez Navarro Torres
Domínguez Vázquez Ramos Gil Ramírez Serrano Blanco Suárez Molina Castro Ortiz Rubio Marín
Sanz Núñez Iglesias Medina Garrido Cortés Castillo Santos Lozano Guerrero Cano Prieto Méndez
Calvo Cruz Gallego Vidal León Márquez Herrera Peña Flores Cabrera Campos Vega Fuentes Carrasco
Diez Caballero Reyes Nieto Aguilar Pascual Santana Herrero Lorenzo Montero Hidalgo Giménez
Ibáñez Ferrer Durán Santiago Benítez Mora Vicente Vargas Arias Carmona Crespo Román Pastor
Soto Sáez Velasco Moya Soler Parra Esteban Bravo Gallardo Rojas O'Donnell D'Alessandro
""".split()
CITIES = """Málaga Córdoba Cádiz León Ávila Logroño Alcalá Jaén Almería Móstoles Cáceres Getafe
Gijón Castellón Santander Pamplona Vitoria Zaragoza Murcia Valencia Sevilla Bilbao Madrid""".split()
ESTADOS = ["pendiente", "enviado", "entregado", "anulado"]
STATEMENT_BYTES = 1 << 19  # one INSERT per half megabyte keeps far below max_allowed_packet

rng = random.Random(20160416)


def text(s):
    return "'" + s.replace("\\", "\\\\").replace("'", "\\'") + "'"


def blob(b):
    return "NULL" if b is None else "X'" + b.hex() + "'"


def words(lo, hi):
    return " ".join(rng.choices(WORDS, k=rng.randint(lo, hi)))


def sometimes(p, make):
    return make() if rng.random() < p else None


def day():
    return f"20{rng.randrange(10, 17)}-{rng.randint(1, 12):02d}-{rng.randint(1, 28):02d}"


def money(lo, hi):
    return f"{rng.randrange(lo, hi) / 100:.2f}"


def or_null(value):
    return "NULL" if value is None else value


# Each maker returns one row's values and how many bytes of it are binary: those are written in
# hex here, but at about their own size in the dump.

def cliente(i):
    endings = ["", "\n¿Pagó?", " ¡Urgente!", " C:\\ruta\\x", "\r\n\t\"x\""]
    notas = sometimes(0.4, lambda: text(words(5, 60) + rng.choice(endings)))
    telefono = sometimes(0.8, lambda: text(f"+34 6{rng.randrange(10**8):08d}"))
    nif = f"{i:08d}" + "TRWAGMYFPDXBNJZSQVHLCKE"[i % 23]
    apellidos = rng.choice(SURNAMES) + " " + rng.choice(SURNAMES)
    return (f"({i},{text(nif)},{text(rng.choice(NAMES))},{text(apellidos)},"
            f"{text(rng.choice(CITIES))},{or_null(telefono)},'{day()}',{money(-10**6, 10**8)},"
            f"{or_null(notas)})"), 0


def producto(i):
    if i % 40 == 0:  # every byte value, so that each escape of the dump is exercised
        foto = bytes(range(256)) * 4
    else:
        foto = sometimes(0.3, lambda: rng.randbytes(rng.randint(200, 3000)))
    peso = sometimes(0.9, lambda: repr(rng.random() * 50))
    huella = rng.randbytes(16)
    return (f"({i},{text(f'P{i:09d}')},{text(words(3, 18))},{money(1, 10**6)},{or_null(peso)},"
            f"{rng.randrange(-50, 5000)},{blob(huella)},{blob(foto)})"), 16 + len(foto or b"")


def pedido(i, clientes):
    hora = f"{rng.randrange(24):02d}:{rng.randrange(60):02d}:{rng.randrange(60):02d}"
    obs = sometimes(0.5, lambda: text(words(2, 30)))
    return (f"({i},{rng.randint(1, clientes)},'{day()} {hora}',{text(rng.choice(ESTADOS))},"
            f"{money(100, 10**7)},{or_null(obs)})"), 0


def lineas(i, productos):
    rows = []
    for linea in range(1, rng.randint(2, 8)):
        descuento = sometimes(0.25, lambda: money(1, 5000))
        rows.append(f"({i},{linea},{rng.randint(1, productos)},{rng.randint(1, 500)},"
                    f"{money(1, 10**6)},{or_null(descuento)})")
    return ",".join(rows), 0


def documento(i, pedidos):
    # Scanned delivery notes: some text that packs well, and an image that does not.
    data = b"%PDF-1.4\n" + words(40, 400).encode("latin-1") + rng.randbytes(rng.randint(200, 2000))
    ref = sometimes(0.7, lambda: str(rng.randint(1, pedidos)))
    nombre = text("albarán " + words(1, 4) + ".pdf")
    return f"({i},{or_null(ref)},{nombre},{blob(data)})", len(data)


def fill(out, table, columns, make, budget=None, count=None):
    """Emits rows made by make(i) for i = 1..count, or until about budget bytes of dump.

    Returns the number of rows made."""
    head = f"INSERT INTO {table} ({columns}) VALUES "
    used, i, rows, size = 0, 0, [], 0
    while (used < budget) if count is None else (i < count):
        i += 1
        row, binary = make(i)
        rows.append(row)
        used += len(row) + 1 - binary
        size += len(row) + 1
        if size >= STATEMENT_BYTES:
            out.write(head + ",".join(rows) + ";\n")
            rows, size = [], 0
    if rows:
        out.write(head + ",".join(rows) + ";\n")
    return i


def main():
    if len(sys.argv) != 2 or not sys.argv[1].isdigit() or int(sys.argv[1]) < 1:
        sys.exit("usage: sample_db.py MB")
    total = int(sys.argv[1]) * 10**6
    out = open(sys.stdout.fileno(), "w", encoding="utf-8", buffering=1 << 20)
    out.write(SCHEMA)
    # Shares of the dump; the orders' lines and audit rows (made by the trigger) follow from the
    # orders, at about 1.1 and 0.4 times their size. Budgets count characters, and the accents
    # take two bytes each, hence the shares add up to less than 100.
    share = lambda part: total * part // 100
    n_clientes = fill(out, "clientes", "id,nif,nombre,apellidos,ciudad,telefono,alta,saldo,notas",
                      cliente, budget=share(15))
    n_productos = fill(out, "productos",
                       "id,codigo,descripcion,precio,peso,existencias,huella,foto", producto,
                       budget=share(8))
    n_pedidos = fill(out, "pedidos", "id,cliente_id,fecha,estado,total,observaciones",
                     lambda i: pedido(i, n_clientes), budget=share(23))
    fill(out, "lineas_pedido", "pedido_id,linea,producto_id,cantidad,precio,descuento",
         lambda i: lineas(i, n_productos), count=n_pedidos)
    fill(out, "documentos", "id,pedido_id,nombre,contenido", lambda i: documento(i, n_pedidos),
         budget=share(16))
    out.write("SET foreign_key_checks = 1, unique_checks = 1;\n")
    out.close()


if __name__ == "__main__":
    main()
